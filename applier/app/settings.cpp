#include "app/settings.h"

#include "app/state.h"

int ReadSettingText(const char* section, const char* key, const char* fallback, char* buffer,
                    int room) {
    if (room < 1) {
        return 0;
    }
    return (int)GetPrivateProfileStringA(section, key, fallback, buffer, (DWORD)room, SettingsFile);
}

int ReadSettingInt(const char* section, const char* key, int fallback) {
    return (int)GetPrivateProfileIntA(section, key, fallback, SettingsFile);
}

int WriteSettingText(const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, SettingsFile);
}
