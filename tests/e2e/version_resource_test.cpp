// The version resource of each shipped program, read as Windows' file
// properties read it: through the translation the resource names, so a string
// block that does not match its translation shows up here as missing.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Program {
    const char* path;             // the built file, as a Unix path
    const wchar_t* originalName;  // its file name
};

const Program kPrograms[] = {
    {HALVO_EXE_PATH, L"Halvo.exe"},
    {HALVO_SET_EXE_PATH, L"halvo-set.exe"},
};

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Wine maps the Unix root to drive Z:.
std::wstring WindowsPath(const char* unixPath) {
    std::wstring path = L"Z:" + Widen(unixPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

class VersionResource : public testing::TestWithParam<Program> {
protected:
    void SetUp() override {
        const std::wstring path = WindowsPath(GetParam().path);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource in " << GetParam().path;
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data_.data()));

        struct Translation {
            WORD language;
            WORD codePage;
        };
        void* value = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &value, &length));
        ASSERT_GE(length, sizeof(Translation));
        const Translation t = *static_cast<const Translation*>(value);
        wchar_t block[64];
        swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", t.language, t.codePage);
        block_ = block;
    }

    // A string of the block the translation names; empty when there is none.
    std::wstring Text(const wchar_t* name) const {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = block_ + name;
        if (!VerQueryValueW(data_.data(), key.c_str(), &value, &length) || length == 0) return {};
        return static_cast<const wchar_t*>(value);
    }

    VS_FIXEDFILEINFO Fixed() const {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data_.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return {};
        return *static_cast<const VS_FIXEDFILEINFO*>(value);
    }

private:
    std::vector<unsigned char> data_;
    std::wstring block_;
};

TEST_P(VersionResource, NamesTheProjectVersionAndTheFile) {
    EXPECT_EQ(Text(L"ProductName"), L"Halvo");
    EXPECT_EQ(Text(L"FileVersion"), Widen(HALVO_VERSION));
    EXPECT_EQ(Text(L"ProductVersion"), Widen(HALVO_VERSION));
    EXPECT_EQ(Text(L"OriginalFilename"), GetParam().originalName);
    EXPECT_EQ(Text(L"LegalCopyright").rfind(L"Copyright ", 0), 0u) << "LegalCopyright missing";
    EXPECT_FALSE(Text(L"FileDescription").empty());

    const VS_FIXEDFILEINFO fixed = Fixed();
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    const std::wstring numeric = std::to_wstring(HIWORD(fixed.dwFileVersionMS)) + L"." +
                                 std::to_wstring(LOWORD(fixed.dwFileVersionMS)) + L"." +
                                 std::to_wstring(HIWORD(fixed.dwFileVersionLS));
    EXPECT_EQ(numeric, Widen(HALVO_VERSION));
    EXPECT_EQ(fixed.dwProductVersionMS, fixed.dwFileVersionMS);
    EXPECT_EQ(fixed.dwProductVersionLS, fixed.dwFileVersionLS);
}

INSTANTIATE_TEST_SUITE_P(Shipped, VersionResource, testing::ValuesIn(kPrograms));

}  // namespace
