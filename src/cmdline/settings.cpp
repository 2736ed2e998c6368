#include "cmdline/settings.h"

SettingsRecord Settings;
