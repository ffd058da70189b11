// Temporary folders and files for the tests.
#pragma once

#include <string>
#include <vector>

// A fresh folder of its own under the system's temporary folder, removed
// with the object (kept when VARSONA_TEST_KEEP is set, for a look).
class TTempFolder {
public:
    explicit TTempFolder(const std::string& prefix = "varsona");
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    // The folder, with a trailing '/'.
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + name; }

private:
    std::string FPath;
};

// A home of its own for a test of the settings: HOME and XDG_CONFIG_HOME
// point into a fresh temporary folder (Root(), with "config" in it) until
// the object goes, when they are set back.
class TTempHome {
public:
    explicit TTempHome(const std::string& prefix = "varsona-home");
    ~TTempHome();
    TTempHome(const TTempHome&) = delete;
    TTempHome& operator=(const TTempHome&) = delete;
    // The home folder, without a trailing '/'.
    const std::string& Root() const { return FRoot; }
    // $XDG_CONFIG_HOME/varsona/, where the program keeps its settings.
    std::string SettingsFolder() const { return FRoot + "/config/varsona/"; }

private:
    TTempFolder FFolder;
    std::string FRoot;
    std::vector<std::pair<std::string, std::string>> FSaved;  // name, value ("\0" unset)
};

// A fresh, empty folder named after the running test (and tag), with a
// trailing '/'; it stays for a look after the run.
std::string TestFolder(const std::string& tag = "");

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
// The names of the files in folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder);
