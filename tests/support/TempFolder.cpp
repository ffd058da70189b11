#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TTempFolder::TTempFolder(const std::string& prefix) {
    std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a temporary folder from " + tmpl);
    FPath = tmpl + "/";
}

TTempFolder::~TTempFolder() {
    if (std::getenv("VARSONA_TEST_KEEP")) return;
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

TTempHome::TTempHome(const std::string& prefix) : FFolder(prefix) {
    FRoot = FFolder.Path().substr(0, FFolder.Path().size() - 1);
    for (const char* name : {"HOME", "XDG_CONFIG_HOME"}) {
        const char* v = std::getenv(name);
        FSaved.emplace_back(name, v ? v : std::string(1, '\0'));
    }
    setenv("HOME", FRoot.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (FRoot + "/config").c_str(), 1);
    std::filesystem::create_directories(FRoot + "/config");
}

TTempHome::~TTempHome() {
    for (const auto& [name, value] : FSaved) {
        if (value == std::string(1, '\0')) unsetenv(name.c_str());
        else setenv(name.c_str(), value.c_str(), 1);
    }
}

std::string TestFolder(const std::string& tag) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + tag;
    std::replace(name.begin(), name.end(), '/', '_');
    std::filesystem::path p =
        std::filesystem::temp_directory_path() / ("varsona-tests-" + std::to_string(::getpid())) / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string() + "/";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
