// The installed software: the Uninstall entries of HKEY_LOCAL_MACHINE, from
// both registry views on 64-bit Windows. One fact, read once per run, for
// the rules and the overview's list.
#pragma once

#include <string>
#include <vector>

namespace findings {

// One entry below ...\CurrentVersion\Uninstall that has a display name.
struct InstalledEntry {
    std::string key;     // the subkey's name
    std::string source;  // the subkey as evidence names it: "HKLM\\SOFTWARE\\...\\Uninstall\\<key>"
    std::string name, version, publisher, installDate;
    std::string installLocation;  // the folder as stored; empty when absent or not a text
    const char* view = "";  // "64-bit", "32-bit" or "" (one view only)
    bool family = false;    // publisher or name names the product family
    bool versioned = false; // DisplayVersion is a plain text
    bool systemComponent = false;  // SystemComponent 1: hidden from Programs and Features
    bool locationMissing = false;  // InstallLocation names a folder that is gone (family only)
};
struct InstalledSoftware {
    std::vector<InstalledEntry> entries;  // family first, then by name
    int withoutName = 0;                  // entries without a display name (not listed)
    int unreadable = 0;                   // subkeys that could not be opened or named
    std::string note;                     // why nothing or only part could be read
};
InstalledSoftware ReadInstalledSoftware();
// A display name, publisher or service name that names the product family.
bool NamesFamily(const std::string& text);

}  // namespace findings
