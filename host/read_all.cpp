#include "host/read_all.hpp"

namespace nm {

std::string readAll(HANDLE file) {
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) != 0 && read != 0) {
        text.append(buffer, read);
    }
    return text;
}

}  // namespace nm
