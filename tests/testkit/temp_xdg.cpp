#include "testkit/temp_xdg.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quorvel::testkit {
namespace {

std::optional<std::string> environment(const char* name) {
    if (const char* value = std::getenv(name)) {
        return std::string(value);
    }
    return std::nullopt;
}

void restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

}  // namespace

TempXdgHome::TempXdgHome()
    : previousData_(environment("XDG_DATA_HOME")),
      previousConfig_(environment("XDG_CONFIG_HOME")) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-test.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    root_ = pattern;
    std::filesystem::create_directories(dataHome());
    std::filesystem::create_directories(configHome());
    ::setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
}

TempXdgHome::~TempXdgHome() {
    restore("XDG_DATA_HOME", previousData_);
    restore("XDG_CONFIG_HOME", previousConfig_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void writeFile(const std::filesystem::path& path, const std::string& contents) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

}  // namespace quorvel::testkit
