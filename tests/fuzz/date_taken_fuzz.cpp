// libFuzzer target over the date-taken reader, built in the sanitizer tree only.
//
// Input: the file itself. The seeds in tests/fuzz/date_taken_corpus/ are files of every format
// and layout, written by `make_media seeds` (tests/support/).
//
// Checks, besides the sanitizers' own: every read the reader asks of its source lies within the
// file and is at most one piece, and all of them together stay within the budget; a date it
// gives is a day of the calendar and a time of day, within the years allowed; a second reading
// gives the same answer.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "engine/date_taken.hpp"
#include "tests/support/test_support.hpp"

namespace {

using nm::test::check;

class CheckedSource final : public nm::ByteSource {
  public:
    explicit CheckedSource(std::span<const unsigned char> bytes)
        : inner_(bytes), size_(bytes.size()) {}
    std::uint64_t size() const noexcept override { return size_; }
    bool read(std::uint64_t offset, void* into, std::size_t length) noexcept override {
        check(offset <= size_ && length <= size_ - offset);
        check(length <= nm::kDateTakenMaxPiece);
        bytesRead += length;
        check(bytesRead <= nm::kDateTakenReadBudget);
        return inner_.read(offset, into, length);
    }
    std::uint64_t bytesRead = 0;

  private:
    nm::MemoryByteSource inner_;
    std::uint64_t size_;
};

bool isPossible(const nm::DateTaken& d) {
    using namespace std::chrono;
    const year_month_day day{year{d.year}, month{static_cast<unsigned>(d.month)},
                             std::chrono::day{static_cast<unsigned>(d.day)}};
    return d.year >= nm::kDateTakenMinYear && d.year <= nm::kDateTakenMaxYear && d.month >= 1 &&
           d.day >= 1 && day.ok() && d.hour >= 0 && d.hour < 24 && d.minute >= 0 && d.minute < 60 &&
           d.second >= 0 && d.second < 60;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const unsigned char> file(data, size);
    CheckedSource source(file);
    const std::optional<nm::DateTaken> date = nm::readDateTaken(source);
    if (date) {
        check(isPossible(*date));
    }
    CheckedSource again(file);
    check(nm::readDateTaken(again) == date);
    return 0;
}
