#include <gtest/gtest.h>

#include <vector>

#include "app/settings.h"
#include "tests/damaged_settings.h"
#include "web/profile_text.h"

using namespace app;

TEST(SettingsText, ValuesAreWrittenAsUnsignedDecimals) {
    EXPECT_EQ("4294967295", FormatSettingValue(-1));
    EXPECT_EQ("4294967286", FormatSettingValue(-10));
    EXPECT_EQ("0", FormatSettingValue(0));
    EXPECT_EQ("2147483647", FormatSettingValue(2147483647));
    EXPECT_EQ("2147483648", FormatSettingValue(INT32_MIN));
}

TEST(SettingsText, DefaultsAndTheFileAfterAFirstRun) {
    Settings settings = DefaultSettings();
    EXPECT_EQ(-1, settings.PosX);
    EXPECT_EQ(-1, settings.PosY);
    EXPECT_EQ(1, settings.FitPos);
    EXPECT_EQ(0, settings.Language);
    EXPECT_EQ("[MUSlot]\r\nPosX=4294967295\r\nPosY=4294967295\r\nFitPos=1\r\nLanguage=0\r\n",
              SettingsFileText(settings));

    // Centred on 1024 x 768 with caption 18 and borders 1.
    settings.PosX = 391;
    settings.PosY = 164;
    EXPECT_EQ("[MUSlot]\r\nPosX=391\r\nPosY=164\r\nFitPos=1\r\nLanguage=0\r\n",
              SettingsFileText(settings));
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
                      web::ReadProfileInt(bytes.data(), bytes.size(), kSettingsSection, key.name, key.defaultValue))
                << file.name << ": " << key.name;
    }
}
