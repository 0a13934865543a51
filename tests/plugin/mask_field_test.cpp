// The records' text fields, read and written the one way both sides of the boundary use.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "namemask/mask_field.hpp"

namespace {

TEST(MaskField, WritingKeepsANulInsideTheFieldAndNeverTouchesTheNextOne) {
    struct Case {
        std::size_t length;  // of a text of 'a's
        std::size_t kept;
    };
    const Case cases[] = {{0, 0}, {3, 3}, {98, 98}, {99, 99}, {100, 99}, {250, 99}};
    for (const Case& c : cases) {
        RenameOptions record;
        std::memset(&record, 0x55, sizeof record);
        const bool whole = nm::putFieldText(record.NameMask, std::string(c.length, 'a'));
        EXPECT_EQ(whole, c.kept == c.length) << c.length;
        EXPECT_EQ(nm::fieldText(record.NameMask), std::string(c.kept, 'a')) << c.length;
        for (std::size_t i = c.kept; i < sizeof record.NameMask; ++i) {
            ASSERT_EQ(record.NameMask[i], '\0') << c.length << " at " << i;
        }
        EXPECT_EQ(static_cast<unsigned char>(record.ExtMask[0]), 0x55) << c.length;
    }
}

TEST(MaskField, ReadingStopsAtTheFirstNulOrTheFieldsEnd) {
    RenameOptions record;
    std::memset(&record, 'x', sizeof record);  // no NUL anywhere: the ext mask follows
    EXPECT_EQ(nm::fieldText(record.NameMask), std::string(nm::kMaskField, 'x'));
    record.NameMask[5] = '\0';
    record.NameMask[7] = '\0';
    EXPECT_EQ(nm::fieldText(record.NameMask), "xxxxx");
    record.NameMask[0] = '\0';
    EXPECT_EQ(nm::fieldText(record.NameMask), "");
}

}  // namespace
