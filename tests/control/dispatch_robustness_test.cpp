#include "tests/support/child_process.h"

#include <gtest/gtest.h>
#include <regex>
#include <string>

namespace cutshape {
namespace {

using namespace std::chrono_literals;

// Each member's calls run in a probe process of their own (dispatch_robustness_probe), so a
// crash or a hang fails that member instead of ending the suite. The probe bounds each call;
// the deadline here bounds the whole batch.
constexpr auto kBatchDeadline = 600s;

long long numberAfter(const std::string& output, const std::string& label) {
    std::smatch match;
    if (!std::regex_search(output, match, std::regex(label + " (\\d+)")))
        return -1;
    return std::stoll(match[1]);
}

class DispatchRobustness : public ::testing::TestWithParam<const wchar_t*> {};

// No crash, no hang, a defined status for every call, the control shapes its form after,
// and closing it leaves no reference to the arguments and no control object alive.
TEST_P(DispatchRobustness, EveryKindAndArgumentLayoutIsAnsweredAndTheControlStillWorks) {
    const std::wstring member = GetParam();
    const test::ChildResult child = test::runChildCapturingOutput(
        test::besideThisProgram(L"dispatch_robustness_probe.exe"), member, kBatchDeadline);
    std::printf("%s", child.output.c_str());
    EXPECT_FALSE(child.timedOut) << "the batch did not end within its deadline";
    EXPECT_EQ(child.exitCode, 0u) << "exit code 0x" << std::hex << child.exitCode;
    EXPECT_GT(numberAfter(child.output, "calls"), 0) << "the probe made no calls";
    // The modal members really ran their loops, and they were answered.
    if (member == L"about") {
        EXPECT_GT(numberAfter(child.output, "answered dialogs"), 0);
    }
    if (member == L"move") {
        EXPECT_GT(numberAfter(child.output, "drags"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Members, DispatchRobustness,
                         ::testing::Values(L"picture", L"load", L"restore", L"move", L"refresh",
                                           L"about", L"maskcolor", L"showpicture",
                                           L"automaticmaskcolor", L"others"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& member) {
                             const std::wstring name = member.param;
                             return std::string(name.begin(), name.end());
                         });

} // namespace
} // namespace cutshape
