#pragma once

// The mask tokens the window offers: command id, token and the label that shows it on a
// button or in a menu. Labels are Windows-1251 (the window converts them for display).

#include <array>
#include <string_view>

namespace nm {

struct TokenCommand {
    int id;
    const char* token;
    const char* label;
    int menu;  // 0 date, 1 time, 2 other; -1 on a button of its own
};

inline constexpr std::array kTokenCommands{
    TokenCommand{3, "[N]", "[N] Имя", -1},
    TokenCommand{4, "[E]", "[E] Тип", -1},
    TokenCommand{5, "[C]", "[C] Счетчик", -1},
    TokenCommand{6, "[d]", "[d] Дата", 0},
    TokenCommand{7, "[Y]", "[Y] Год. 4 цифры", 0},
    TokenCommand{8, "[y]", "[y] Год. 2 цифры", 0},
    TokenCommand{9, "[M]", "[M] Месяц. 2 цифры", 0},
    TokenCommand{10, "[D]", "[D] День. 2 цифры", 0},
    TokenCommand{11, "[t]", "[t] Время", 1},
    TokenCommand{12, "[h]", "[h] Часы", 1},
    TokenCommand{13, "[m]", "[m] Минуты", 1},
    TokenCommand{14, "[s]", "[s] Секунды", 1},
    TokenCommand{15, "[P]", "[P] Родительский каталог", 2},
    TokenCommand{16, "[[]", "[[] Скобка [", 2},
    TokenCommand{17, "[]]", "[]] Скобка ]", 2},
};
inline constexpr int kFirstToken = kTokenCommands.front().id;
inline constexpr int kLastToken = kTokenCommands.back().id;
static_assert(kLastToken - kFirstToken + 1 == static_cast<int>(kTokenCommands.size()),
              "token ids are consecutive, so an id indexes the table");

// The command of a token id in [kFirstToken, kLastToken].
constexpr const TokenCommand& tokenCommand(int id) noexcept {
    return kTokenCommands[static_cast<std::size_t>(id - kFirstToken)];
}

}  // namespace nm
