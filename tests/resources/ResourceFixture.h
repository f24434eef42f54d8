#pragma once

#include "ArchiveFormat.h"
#include "SResources.h"
#include "TempDir.h"
#include "TestText.h"
#include "testing/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A program file in a temp folder ("prog/zyntra": filler bytes, then an archive) and an
// SResources that reads it, extracting into "tmp/" with the time stamp 1234. Boxes are recorded.
class ResourceFixture : public ::testing::Test {
protected:
    static time_t fixedClock(time_t* t) {
        if (t != nullptr) *t = 1234;
        return 1234;
    }
    // The two INI files init() reads, so that a plain archive shows no box.
    static std::vector<archive::Entry> withInis(std::vector<archive::Entry> entries) {
        entries.push_back({"resource.ini", "[StandardResourcePath]\r\n"});
        entries.push_back({"controlpos.ini", "\r\n"});
        return entries;
    }
    // Program bytes: before, then the archive of the entries, then after.
    static std::string image(const std::vector<archive::Entry>& entries,
                             const std::string& before = std::string(200, 'p'),
                             const std::string& after = std::string()) {
        return before + archive::build(entries, uint32_t(before.size())) + after;
    }

    // A fresh SResources for the program bytes (not yet initialised).
    SResources& make(const std::string& programBytes, char marker = archive::kStateArchive) {
        ::mkdir(dir.file("prog").c_str(), 0700);
        dir.write("prog/zyntra", programBytes);
        res = std::make_unique<SResources>();
        res->programPath = dir.file("prog/zyntra").c_str();
        res->programDirectory = dir.file("prog").c_str();
        res->markerState = marker;
        res->tempFolder = dir.file("tmp/").c_str();
        res->clock = fixedClock;
        return *res;
    }
    std::string extractFolder(int tryCounter) const {
        return dir.file("tmp/_tmpVyxRes" + std::to_string(tryCounter) + "_1234");
    }

    TempDir dir;
    ScriptedDialogs boxes;
    std::unique_ptr<SResources> res;
};
