// The About box's registry lookup, against values written under a scratch key of
// HKEY_CURRENT_USER (removed again afterwards) with the exact bytes and types each case needs.

#include "control/about/system_info.h"
#include "win/error.h"

#include <gtest/gtest.h>
#include <olectl.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

using cutshape::control::about::getKeyValue;

constexpr const char* kScratchKey = "Software\\CutshapeTests\\AboutKeyValue";

class GetKeyValue : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                    nullptr, &key_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        ::RegCloseKey(key_);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kScratchKey);
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\CutshapeTests");
    }

    void store(const char* name, DWORD type, const std::vector<BYTE>& data) {
        ASSERT_EQ(::RegSetValueExA(key_, name, 0, type, data.empty() ? nullptr : data.data(),
                                   static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    static std::vector<BYTE> bytes(const std::string& text) { return {text.begin(), text.end()}; }

    HKEY key_ = nullptr;
};

TEST_F(GetKeyValue, StringStoredWithItsNulLosesExactlyThatCharacter) {
    store("Path", REG_SZ, bytes(std::string("C:\\Tools\\info.exe", 17) + '\0'));
    std::wstring value = L"incoming";
    EXPECT_TRUE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Path", value));
    EXPECT_EQ(value, L"C:\\Tools\\info.exe");
}

TEST_F(GetKeyValue, StringStoredWithoutNulStaysWhole) {
    store("Path", REG_SZ, bytes("C:\\Tools\\info.exe"));
    std::wstring value;
    EXPECT_TRUE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Path", value));
    EXPECT_EQ(value, L"C:\\Tools\\info.exe");
}

TEST_F(GetKeyValue, OnlyTheLastNulIsDropped) {
    store("Path", REG_SZ, bytes(std::string("ab\0\0", 4)));
    std::wstring value;
    EXPECT_TRUE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Path", value));
    EXPECT_EQ(value, std::wstring(L"ab\0", 3));
}

TEST_F(GetKeyValue, DataOfExactly1024BytesAreRead) {
    store("Path", REG_SZ, bytes(std::string(1023, 'x') + '\0'));
    std::wstring value;
    EXPECT_TRUE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Path", value));
    EXPECT_EQ(value, std::wstring(1023, L'x'));
}

TEST_F(GetKeyValue, DataOver1024BytesCountAsMissing) {
    store("Path", REG_SZ, bytes(std::string(1025, 'x')));
    std::wstring value = L"incoming";
    EXPECT_FALSE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Path", value));
    EXPECT_EQ(value, L"");
}

TEST_F(GetKeyValue, ValueOfSizeZeroRaisesInvalidArgument) {
    store("Path", REG_SZ, {});
    std::wstring value;
    try {
        getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Path", value);
        FAIL() << "a value of size 0 must raise an error";
    } catch (const cutshape::win::Error& error) {
        EXPECT_EQ(error.number(), CTL_E_ILLEGALFUNCTIONCALL);
    }
}

TEST_F(GetKeyValue, DwordReadsAsTheNumberOfItsKeptBytes) {
    // 0x00BEEF12 in memory: 12 EF BE 00. The last byte is NUL and is dropped, the others
    // read last to first give "BEEF12".
    const DWORD number = 0x00BEEF12;
    store("Number", REG_DWORD, {0x12, 0xEF, 0xBE, 0x00});
    std::wstring value;
    EXPECT_TRUE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Number", value));
    EXPECT_EQ(value, std::to_wstring(number));
}

TEST_F(GetKeyValue, DwordBytesLoseTheirLeadingZeros) {
    // 05 01 00 00: the kept bytes 00 01 05 (last first) give "0" "1" "5": 0x15.
    store("Number", REG_DWORD, {0x05, 0x01, 0x00, 0x00});
    std::wstring value;
    EXPECT_TRUE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Number", value));
    EXPECT_EQ(value, L"21");
}

TEST_F(GetKeyValue, DwordDigitsFollowTheIncomingText) {
    // "A", then the kept bytes 00 01 02 (last first): &hA012.
    store("Number", REG_DWORD, {0x02, 0x01, 0x00, 0x00});
    std::wstring value = L"A";
    EXPECT_TRUE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Number", value));
    EXPECT_EQ(value, L"40978"); // 0xA012
}

TEST_F(GetKeyValue, OtherTypeLeavesTheValueAndCountsAsFound) {
    store("Expand", REG_EXPAND_SZ, bytes(std::string("%SystemRoot%", 12) + '\0'));
    std::wstring value = L"incoming";
    EXPECT_TRUE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Expand", value));
    EXPECT_EQ(value, L"incoming");
}

TEST_F(GetKeyValue, MissingValueGivesFalseAndEmptyText) {
    std::wstring value = L"incoming";
    EXPECT_FALSE(getKeyValue(HKEY_CURRENT_USER, kScratchKey, "Nothing", value));
    EXPECT_EQ(value, L"");
}

TEST_F(GetKeyValue, MissingKeyGivesFalseAndEmptyText) {
    std::wstring value = L"incoming";
    EXPECT_FALSE(
        getKeyValue(HKEY_CURRENT_USER, "Software\\CutshapeTests\\NoSuchKey", "Path", value));
    EXPECT_EQ(value, L"");
}

} // namespace
