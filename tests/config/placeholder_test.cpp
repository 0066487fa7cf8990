#include <gtest/gtest.h>

#include "config/placeholder.h"

using namespace lumora;

namespace {

struct PlaceholderCase {
    const char* templateText;
    const char* before;
    const char* after;
};

class TemplateSplitsAtFirstPercent : public ::testing::TestWithParam<PlaceholderCase> {};

TEST_P(TemplateSplitsAtFirstPercent, IntoBeforeAndAfter) {
    const PlaceholderCase& c = GetParam();
    PlaceholderParts parts;
    splitAtPlaceholder(c.templateText, parts);
    EXPECT_EQ(parts.before, c.before);
    EXPECT_EQ(parts.after, c.after);
}

INSTANTIATE_TEST_SUITE_P(Templates, TemplateSplitsAtFirstPercent,
                         ::testing::Values(PlaceholderCase{"Found % matches.", "Found ", " matches."},
                                           PlaceholderCase{"Found %% matches.", "Found ", "% matches."},
                                           PlaceholderCase{"% found", "", " found"}, PlaceholderCase{"%", "", ""},
                                           PlaceholderCase{"Treffer: %", "Treffer: ", ""},
                                           PlaceholderCase{"a%b%c%", "a", "b%c%"}));

TEST(SplitAtPlaceholder, TemplateWithoutPercentGivesErrorTextAndKeepsAfter) {
    PlaceholderParts parts{"old before", "old after"};
    splitAtPlaceholder("Found matches.", parts);
    EXPECT_EQ(parts.before, "[ERROR: invalid string, missing %]");
    EXPECT_EQ(parts.after, "old after");
}

TEST(SplitAtPlaceholder, EmptyTemplateGivesErrorTextAndKeepsAfter) {
    PlaceholderParts parts{"old before", "old after"};
    splitAtPlaceholder("", parts);
    EXPECT_EQ(parts.before, "[ERROR: empty string]");
    EXPECT_EQ(parts.after, "old after");
}

TEST(SplitAtPlaceholder, FreshPartsWithoutPercentLeaveNothingBehindTheNumber) {
    PlaceholderParts parts;
    splitAtPlaceholder("Found matches.", parts);
    EXPECT_EQ(parts.before + "3" + parts.after, "[ERROR: invalid string, missing %]3");
}

}  // namespace
