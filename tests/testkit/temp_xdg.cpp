#include "testkit/temp_xdg.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
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
    : previousData_(environment("XDG_DATA_HOME")), previousConfig_(environment("XDG_CONFIG_HOME")) {
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

FileIdentity fileIdentity(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << "cannot examine " << path;
    return {info.st_ino, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

unsigned modeOf(const std::filesystem::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << "cannot examine " << path;
    return info.st_mode & 0777;
}

void ageFile(const std::filesystem::path& path) {
    std::timespec times[2];
    ASSERT_EQ(::clock_gettime(CLOCK_REALTIME, &times[0]), 0);
    times[0].tv_sec -= 86400;
    times[1] = times[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << "cannot date " << path;
}

}  // namespace quorvel::testkit
