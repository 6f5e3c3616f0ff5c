// The manifest built into Kairodex.exe names the architecture of its own build (a 64-bit image
// that claims x86 does not start on Windows) and declares the program long-path aware.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The test program lives in <build>/tests/AppLayer, the product in <build>.
std::wstring ProgramPath() {
    wchar_t buffer[4096];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, 4096);
    std::wstring folder(buffer, length);
    for (int level = 0; level < 3; ++level) folder = folder.substr(0, folder.find_last_of(L"\\/"));
    return folder + L"\\Kairodex.exe";
}

std::string ManifestOf(const std::wstring& program) {
    HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image) return std::string();
    std::string text;
    HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    HGLOBAL loaded = found ? LoadResource(image, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes) text.assign(bytes, SizeofResource(image, found));
    FreeLibrary(image);
    return text;
}

}  // namespace

TEST(ProgramManifest, NamesItsOwnArchitectureAndLongPaths) {
    const std::string manifest = ManifestOf(ProgramPath());
    ASSERT_FALSE(manifest.empty()) << "no manifest in Kairodex.exe";
    const char* architecture = sizeof(void*) == 8 ? "processorArchitecture=\"amd64\"" : "processorArchitecture=\"x86\"";
    EXPECT_NE(manifest.find(architecture), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true<"),
              std::string::npos)
        << manifest;
}
