#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lookup/report_pictures.h"

namespace quillcrest {
namespace {

// The committed pictures, read from the source tree next to this test.
PictureBytes CommittedPicture(const std::string& name) {
    std::string path = __FILE__;
    path = path.substr(0, path.rfind("tests/native/")) + "src/lookup/resources/" + name;
    std::ifstream file(path, std::ios::binary);
    return PictureBytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

PictureContainer ReportPictures() {
    return PictureContainer({{kCheckPictureName, CommittedPicture(kCheckPictureName)},
                             {kInformationPictureName, CommittedPicture(kInformationPictureName)},
                             {kWarningPictureName, CommittedPicture(kWarningPictureName)}});
}

struct PictureCase {
    const char* name;
    std::string requested;
    const char* served;  // nullptr: no picture
};

std::string CaseName(const ::testing::TestParamInfo<PictureCase>& info) {
    return info.param.name;
}

const PictureCase kPictureCases[] = {
    {"Check", "check2.gif", kCheckPictureName},
    {"CheckInCapitals", "CHECK2.GIF", kCheckPictureName},
    {"InformationMixedCase", "Information.Gif", kInformationPictureName},
    {"Warning", "warning.gif", kWarningPictureName},
    {"UnknownName", "logo.gif", nullptr},
    {"NameWithPath", "images/check2.gif", nullptr},
    {"PrefixOfAName", "check2", nullptr},
    {"Empty", "", nullptr},
};

class LookupReportPicturesTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(LookupReportPicturesTest, FindsPicturesByNameIgnoringCase) {
    const PictureCase& c = GetParam();
    SCOPED_TRACE(c.name);
    const PictureContainer pictures = ReportPictures();

    const PictureBytes* found = pictures.Find(c.requested);

    if (c.served == nullptr) {
        EXPECT_EQ(found, nullptr);
        return;
    }
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, CommittedPicture(c.served));
}

INSTANTIATE_TEST_SUITE_P(Requests, LookupReportPicturesTest, ::testing::ValuesIn(kPictureCases), CaseName);

TEST(LookupReportPictureFilesTest, EachIsASixteenBySixteenGif) {
    for (const char* name : {kCheckPictureName, kInformationPictureName, kWarningPictureName}) {
        SCOPED_TRACE(name);
        const PictureBytes bytes = CommittedPicture(name);
        ASSERT_GE(bytes.size(), 10u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
        // Logical screen width and height, little-endian.
        EXPECT_EQ(bytes[6] | bytes[7] << 8, 16);
        EXPECT_EQ(bytes[8] | bytes[9] << 8, 16);
    }
}

TEST(LookupReportPictureFilesTest, ALaterPictureReplacesOneOfTheSameName) {
    PictureContainer pictures;
    pictures.Add("check2.gif", {1, 2});
    pictures.Add("CHECK2.gif", {3});

    ASSERT_NE(pictures.Find("check2.gif"), nullptr);
    EXPECT_EQ(*pictures.Find("check2.gif"), PictureBytes{3});
}

}  // namespace
}  // namespace quillcrest
