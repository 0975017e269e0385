// Everything read back as the window reads it at start, and by name which stored values fell back to their default.
#pragma once

#include <gtest/gtest.h>

#include "settings/known_folders.h"
#include "settings/settings_values.h"

struct ReadBack {
    SettingsValues values;
    bool usedDefault[kSettingValueCount];

    bool Used(const wchar_t* name) const {
        int value = settingValueNamed(name);
        EXPECT_GE(value, 0) << "no stored value is named " << name;
        return value >= 0 && usedDefault[value];
    }
};

inline ReadBack ReadStored(const KnownFoldersApi* folders) {
    ReadBack read;
    readSettings(folders, &read.values, read.usedDefault);
    return read;
}
