// Every Windows binary the packages ship carries the product's version resource: the product
// name, the one version of the build (fixed numbers and text alike), the copyright line, its
// own file name and a description of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "shipped_files.h"
#include "zv_version.h"

namespace {

// "/a/b.dll" -> "Z:\a\b.dll": Wine's drive Z: is the Unix root.
std::string windowsPath(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path.size() > 1 && path[0] == '\\' ? "Z:" + path : path;
}

std::string fileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

std::string versionText(const std::vector<char>& block, const char* name) {
    char key[96];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\040904B0\\%s", name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), key, &value, &length) || !value || length == 0) return {};
    return static_cast<const char*>(value);
}

TEST(VersionResource, EveryShippedBinaryNamesTheProductAndTheBuildsVersion) {
    ASSERT_GE(std::size(zvtest::kShippedFiles), 8u);
    const DWORD versionHigh = (DWORD{ZV_VERSION_MAJOR} << 16) | DWORD{ZV_VERSION_MINOR};
    const DWORD versionLow = DWORD{ZV_VERSION_PATCH} << 16;
    std::set<std::string> descriptions;
    for (const char* built : zvtest::kShippedFiles) {
        const std::string path = windowsPath(built);
        SCOPED_TRACE(path);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));

        void* fixedValue = nullptr;
        UINT fixedSize = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &fixedValue, &fixedSize));
        ASSERT_EQ(fixedSize, sizeof(VS_FIXEDFILEINFO));
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixedValue);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, versionHigh);
        EXPECT_EQ(fixed->dwFileVersionLS, versionLow);
        EXPECT_EQ(fixed->dwProductVersionMS, versionHigh);
        EXPECT_EQ(fixed->dwProductVersionLS, versionLow);
        const bool program = path.size() > 4 && path.compare(path.size() - 4, 4, ".exe") == 0;
        EXPECT_EQ(fixed->dwFileType, program ? DWORD{VFT_APP} : DWORD{VFT_DLL});

        EXPECT_EQ(versionText(block, "ProductName"), "ZV-LK5MQ");
        EXPECT_EQ(versionText(block, "ProductVersion"), ZV_VERSION_STRING);
        EXPECT_EQ(versionText(block, "FileVersion"), ZV_VERSION_STRING);
        EXPECT_EQ(versionText(block, "LegalCopyright"), "Copyright (C) 2026 the ZV-LK5MQ developers");
        EXPECT_EQ(versionText(block, "OriginalFilename"), fileName(path));
        const std::string description = versionText(block, "FileDescription");
        EXPECT_EQ(description.rfind("ZV-LK5MQ ", 0), 0u) << description;
        EXPECT_TRUE(descriptions.insert(description).second) << "described like another binary: " << description;
    }
}

}  // namespace
