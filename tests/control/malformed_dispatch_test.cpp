#include "tests/support/child_process.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace cutshape {
namespace {

using namespace std::chrono_literals;

struct Expectation {
    const wchar_t* name;
    HRESULT status;
};

// Each case runs in its own process (malformed_dispatch_probe), bounded in time, so a
// crash or an endless loop fails the case instead of ending or stopping the suite.
void expectStatuses(std::initializer_list<Expectation> expectations) {
    const std::wstring probe = testing::besideThisProgram(L"malformed_dispatch_probe.exe");
    for (const Expectation& expected : expectations) {
        const std::string name(expected.name, expected.name + std::wcslen(expected.name));
        const testing::ChildResult child = testing::runChild(probe, expected.name, 30s);
        EXPECT_FALSE(child.timedOut) << name << ": the call did not return";
        EXPECT_EQ(static_cast<HRESULT>(child.exitCode), expected.status)
            << name << ": exit code 0x" << std::hex << child.exitCode;
    }
}

// Hangs in Load's own argument path: a by-reference variant that points to itself.
TEST(MalformedDispatch, ReferencesToReferencesAreTypeMismatches) {
    expectStatuses({
        {L"load-self-reference", DISP_E_TYPEMISMATCH},
        {L"load-reference-to-reference", DISP_E_TYPEMISMATCH},
        {L"picture-self-reference", DISP_E_TYPEMISMATCH},
        {L"picture-reference-to-reference", DISP_E_TYPEMISMATCH},
        {L"maskcolor-self-reference", DISP_E_TYPEMISMATCH},
        {L"maskcolor-reference-to-reference", DISP_E_TYPEMISMATCH},
        {L"showpicture-self-reference", DISP_E_TYPEMISMATCH},
    });
}

// Crashes on null pointers inside the parameter block.
TEST(MalformedDispatch, NullPointersInTheParameterBlockAreRefused) {
    expectStatuses({
        {L"load-null-rgvarg", E_INVALIDARG},
        {L"load-null-named-ids", E_INVALIDARG},
        {L"picture-null-rgvarg", E_INVALIDARG},
        {L"picture-null-named-ids", E_INVALIDARG},
        {L"maskcolor-null-rgvarg", E_INVALIDARG},
        {L"maskcolor-null-named-ids", E_INVALIDARG},
        {L"showpicture-null-rgvarg", E_INVALIDARG},
        {L"restore-null-named-ids", E_INVALIDARG},
        {L"maskcolor-get-null-named-ids", E_INVALIDARG},
    });
}

TEST(MalformedDispatch, NullByReferencePointersAreTypeMismatches) {
    expectStatuses({
        {L"load-null-variant-reference", DISP_E_TYPEMISMATCH},
        {L"load-reference-to-null-reference", DISP_E_TYPEMISMATCH},
        {L"load-null-dispatch-reference", DISP_E_TYPEMISMATCH},
        {L"load-null-unknown-reference", DISP_E_TYPEMISMATCH},
        {L"load-null-long-reference", DISP_E_TYPEMISMATCH},
        {L"picture-null-variant-reference", DISP_E_TYPEMISMATCH},
        {L"picture-reference-to-null-reference", DISP_E_TYPEMISMATCH},
        {L"picture-null-dispatch-reference", DISP_E_TYPEMISMATCH},
        {L"picture-null-unknown-reference", DISP_E_TYPEMISMATCH},
        {L"maskcolor-null-long-reference", DISP_E_TYPEMISMATCH},
        {L"maskcolor-null-variant-reference", DISP_E_TYPEMISMATCH},
        {L"showpicture-null-long-reference", DISP_E_TYPEMISMATCH},
    });
}

// The checks refuse only what is malformed: one level of reference is an ordinary argument.
TEST(MalformedDispatch, OneLevelOfReferenceStillWorks) {
    expectStatuses({
        {L"load-variant-reference", S_OK},
        {L"load-dispatch-reference", S_OK},
        {L"picture-variant-reference", S_OK},
        {L"picture-dispatch-reference", S_OK},
    });
}

} // namespace
} // namespace cutshape
