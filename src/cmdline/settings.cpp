#include "cmdline/settings.h"

SettingsRecord Settings;

void resetSettings() {
  Settings = SettingsRecord();
}
