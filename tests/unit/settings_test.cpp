#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/settings_text.h"
#include "tests/damaged_settings.h"

using namespace app;

namespace {

std::string Value(int32_t value) {
    char text[kSettingValueSize];
    return std::string(text, FormatSettingValue(value, text));
}

std::string FileText(const Settings& settings) {
    char text[kSettingsTextCapacity];
    return std::string(text, FormatSettingsText(settings, text));
}

}  // namespace

TEST(SettingsText, ValuesAreWrittenAsUnsignedDecimals) {
    EXPECT_EQ("4294967295", Value(-1));
    EXPECT_EQ("4294967286", Value(-10));
    EXPECT_EQ("0", Value(0));
    EXPECT_EQ("2147483647", Value(2147483647));
    EXPECT_EQ("2147483648", Value(INT32_MIN));
}

TEST(SettingsText, DefaultsAndTheFileAfterAFirstRun) {
    Settings settings = DefaultSettings();
    EXPECT_EQ(-1, settings.PosX);
    EXPECT_EQ(-1, settings.PosY);
    EXPECT_EQ(1, settings.FitPos);
    EXPECT_EQ(0, settings.Language);
    EXPECT_EQ("[MUSlot]\r\nPosX=4294967295\r\nPosY=4294967295\r\nFitPos=1\r\nLanguage=0\r\n",
              FileText(settings));

    // Centred on 1024 x 768 with caption 18 and borders 1.
    settings.PosX = 391;
    settings.PosY = 164;
    EXPECT_EQ("[MUSlot]\r\nPosX=391\r\nPosY=164\r\nFitPos=1\r\nLanguage=0\r\n",
              FileText(settings));
}

TEST(SettingsText, KeysAreInTheirFixedOrder) {
    const char* names[] = {"PosX", "PosY", "FitPos", "Language"};
    for (int i = 0; i < kSettingKeyCount; ++i) EXPECT_STREQ(names[i], kSettingKeys[i].name);
    EXPECT_STREQ("MUSLOT.INI", kSettingsFile);
    EXPECT_STREQ("MUSlot", kSettingsSection);
}

// Each file of the shared table, in a buffer of exactly its bytes so that
// AddressSanitizer fails a read past them, reads to the table's values.
TEST(SettingsText, EveryDamagedFileReadsToTheProfileReadersValues) {
    for (const tests::DamagedSettings& file : tests::LoadDamagedSettings()) {
        const std::vector<uint8_t> bytes(file.bytes.begin(), file.bytes.end());
        for (const SettingKey& key : kSettingKeys)
            EXPECT_EQ(file.read.*key.field,
                      app::ReadProfileInt(bytes.data(), bytes.size(), kSettingsSection, key.name, key.defaultValue))
                << file.name << ": " << key.name;
    }
}
