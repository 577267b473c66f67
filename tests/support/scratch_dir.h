// SPDX-License-Identifier: GPL-3.0-or-later
/// \file
/// A folder of its own for each test, removed afterwards, with a helper to write a file's bytes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace pelk::testing {

class ScratchDir {
  public:
    ScratchDir()
        : path_(std::filesystem::path(::testing::TempDir()) /
                ("pelk_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::filesystem::path &path() const { return path_; }

    std::filesystem::path write(const std::string &name, const std::string &bytes) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

  private:
    std::filesystem::path path_;
};

} // namespace pelk::testing
