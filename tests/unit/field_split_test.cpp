#include <gtest/gtest.h>

#include "window_support/field_split.h"

using namespace quelm;

namespace {

struct FieldCase {
    const char* line;
    int n;
    const char* field;
};

class PickFieldTable : public ::testing::TestWithParam<FieldCase> {};

TEST_P(PickFieldTable, TakesTheFieldAsItStands)
{
    const FieldCase c = GetParam();
    EXPECT_EQ(PickField(QString::fromLatin1(c.line), c.n), QString::fromLatin1(c.field))
        << c.line << " field " << c.n;
}

INSTANTIATE_TEST_SUITE_P(
    Fields, PickFieldTable,
    ::testing::Values(FieldCase{"a,b,c", 1, "a"}, FieldCase{"a,b,c", 2, "b"}, FieldCase{"a,b,c", 3, "c"},
                      FieldCase{"a,b,c", 4, ""}, FieldCase{"a,b,c", 99, ""}, FieldCase{"a,b,c", 0, "a"},
                      FieldCase{"a,b,c", -32767, "a"}, FieldCase{"a,,c", 2, ""}, FieldCase{"a,,c", 3, "c"},
                      FieldCase{"a, b", 2, " b"}, FieldCase{"whole line", 1, "whole line"},
                      FieldCase{"whole line", -1, "whole line"}, FieldCase{"whole line", 2, ""},
                      FieldCase{"", 1, ""}, FieldCase{"", 5, ""}, FieldCase{"a,b,", 3, ""},
                      FieldCase{"a,b,", 4, ""}, FieldCase{",x", 1, ""}, FieldCase{"\"q,r\"", 2, "r\""},
                      FieldCase{"a,b,c", 32767, ""}));

} // namespace
