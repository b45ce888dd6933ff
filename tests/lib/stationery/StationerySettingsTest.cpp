#include "stationery/StationerySettings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include <QString>

#include "tests/common/FifoWatchdog.h"
#include "tests/common/TempDir.h"

namespace zarvo {
namespace {

using test::TempDir;

QString qPath(const std::string& path) { return QString::fromStdString(path); }

// The path of name inside dir.
QString inside(const TempDir& dir, const std::string& name) {
    return qPath((dir.path() / name).string());
}

TEST(StationerySettingsTest, SettingsPathReplacesTheLastExtension) {
    const struct {
        const char* report;
        const char* settings;
    } cases[] = {
        {"/a/delivery_note.txt", "/a/delivery_note.zarvo"},
        {"/a/x.y.txt", "/a/x.y.zarvo"},
        {"/a/note", "/a/note.zarvo"},
        {"/a.b/note", "/a.b/note.zarvo"},
        {"/a/.note", "/a/.note.zarvo"},
        {"note.txt", "note.zarvo"},
        {"/a/表單.txt", "/a/表單.zarvo"},
        {"/a/note.zarvo", ""},
        {"/a/", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(settingsPathFor(QString::fromUtf8(c.report)), QString::fromUtf8(c.settings))
            << c.report;
    }
}

TEST(StationerySettingsTest, WrittenSettingsReadBackTheSame) {
    StationeryKeys lettered;
    lettered.picture = "../掃描/送貨單 A,B;#=1.png";
    lettered.page = 3;
    lettered.dpi = 200;
    lettered.dx = 12.5;
    lettered.dy = -0.3;
    lettered.strength = 0;
    lettered.angle = -0.4;
    lettered.snapmargin = 0;
    StationeryKeys awkward;
    awkward.picture = "@ \"q\" \\x\n1f\t ";
    awkward.dx = 0.1 + 0.2;
    awkward.dy = -1000;
    awkward.strength = 100;
    awkward.angle = 1.25;
    awkward.snapmargin = 2.5;
    const StationeryKeys cases[] = {lettered, awkward, StationeryKeys{"/scans/a.png"}};
    TempDir dir;
    int index = 0;
    for (const StationeryKeys& settings : cases) {
        FormProfile profile;
        setStationeryKeys(profile, settings);
        const QString path = qPath(dir.write("r" + std::to_string(index++) + ".zarvo", formProfileText(profile)));
        const StationerySettingsRead read = readStationerySettings(path);
        EXPECT_EQ(read.problem, QString()) << settings.picture;
        EXPECT_EQ(read.settings, settings) << settings.picture;
    }
}

TEST(StationerySettingsTest, NumbersAreWrittenShortest) {
    FormProfile profile;
    setStationeryKeys(profile, StationeryKeys{"a.png", 1, 0, 12.5, -0.0, 50});
    const std::string text = formProfileText(profile);
    EXPECT_NE(text.find("\ndpi=0\ndx=12.5\ndy=0\n"), std::string::npos) << text;
    // A straight picture and the usual margin write no key, and setting
    // them back to those takes their keys away.
    EXPECT_EQ(text.find("angle"), std::string::npos) << text;
    EXPECT_EQ(text.find("snapmargin"), std::string::npos) << text;
    setStationeryKeys(profile, StationeryKeys{"a.png", 1, 0, 0, 0, 50, 0.4, 1});
    EXPECT_NE(formProfileText(profile).find("\nangle=0.4\nsnapmargin=1\n"), std::string::npos);
    // A measured skew is kept to 0.001 degree, whatever its arithmetic left.
    setStationeryKeys(profile, StationeryKeys{"a.png", 1, 0, 0, 0, 50, -0.347999999999999});
    EXPECT_NE(formProfileText(profile).find("\nangle=-0.348\n"), std::string::npos) << formProfileText(profile);
    setStationeryKeys(profile, StationeryKeys{"a.png"});
    EXPECT_EQ(formProfileText(profile).find("angle"), std::string::npos);
    EXPECT_EQ(formProfileText(profile).find("snapmargin"), std::string::npos);
}

TEST(StationerySettingsTest, FilesThatCannotBeUsedGiveAProblem) {
    const struct {
        const char* name;
        std::string content;
    } cases[] = {
        {"garbage", std::string("\x89PNG\r\n\x1a\n\0\xff\xfe=\x01[", 14)},
        {"line without =", "[General]\npicture\n"},
        {"unclosed quote", "[General]\npicture=\"a.png\n"},
        {"quote inside", "[General]\npicture=\"a\"b\"\n"},
        {"unknown escape", "[General]\npicture=\"a\\q\"\n"},
        {"typed value", "[General]\npicture=@Variant(\\0)\n"},
        {"not UTF-8", "[General]\npicture=\xff\xfe.png\n"},
        {"page 0", "[General]\npicture=a.png\npage=0\n"},
        {"page text", "[General]\npicture=a.png\npage=one\n"},
        {"page fraction", "[General]\npicture=a.png\npage=1.5\n"},
        {"negative dpi", "[General]\npicture=a.png\ndpi=-1\n"},
        {"absurd dpi", "[General]\npicture=a.png\ndpi=1e9\n"},
        {"dx not finite", "[General]\npicture=a.png\ndx=nan\n"},
        {"dy too far", "[General]\npicture=a.png\ndy=-1000.1\n"},
        {"strength over", "[General]\npicture=a.png\nstrength=101\n"},
        {"strength under", "[General]\npicture=a.png\nstrength=-1\n"},
        {"angle text", "[General]\npicture=a.png\nangle=0.4deg\n"},
        {"angle too far", "[General]\npicture=a.png\nangle=-45.1\n"},
        {"snapmargin negative", "[General]\npicture=a.png\nsnapmargin=-0.5\n"},
        {"snapmargin not finite", "[General]\npicture=a.png\nsnapmargin=inf\n"},
        {"huge", "[General]\npicture=a.png\n" + std::string(2 << 20, ';')},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const QString path = qPath(dir.write(std::string(c.name) + ".zarvo", c.content));
        const StationerySettingsRead read = readStationerySettings(path);
        EXPECT_FALSE(read.settings.has_value()) << c.name;
        EXPECT_TRUE(read.problem.contains(path)) << c.name << ": " << read.problem.toStdString();
    }
}

// A settings file that is no regular file is damaged, said at once.
TEST(StationerySettingsTest, ASettingsFileThatIsNoRegularFileIsDamagedAndNothingWaits) {
    TempDir dir;
    const std::string fifoPath = (dir.path() / "fifo.zarvo").string();
    const test::FifoWatchdog fifo(fifoPath);
    ASSERT_TRUE(fifo.made());
    const std::string folder = (dir.path() / "folder.zarvo").string();
    std::filesystem::create_directory(folder);
    const std::string device = (dir.path() / "device.zarvo").string();
    std::filesystem::create_symlink("/dev/zero", device);
    for (const std::string& path : {fifoPath, folder, device}) {
        SCOPED_TRACE(path);
        const auto start = std::chrono::steady_clock::now();
        const StationerySettingsRead read = readStationerySettings(qPath(path));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_FALSE(read.settings.has_value());
        EXPECT_EQ(read.problem.toStdString(), "底圖設定檔 " + path + " 已損壞");
    }
    EXPECT_FALSE(fifo.fired());
}

TEST(StationerySettingsTest, ToleratesMissingKeysOtherSectionsAndAMissingFile) {
    TempDir dir;
    const StationerySettingsRead minimal =
        readStationerySettings(qPath(dir.write("m.zarvo", "picture=a.png\n")));
    EXPECT_EQ(minimal.settings, StationeryKeys{"a.png"});
    const char* others = "; notes\r\n[General]\r\npicture = a, b.png \r\nother=@Variant(\\0)\r\n"
                         "[layout]\r\npage=0\r\n";
    const StationerySettingsRead mixed =
        readStationerySettings(qPath(dir.write("o.zarvo", others)));
    EXPECT_EQ(mixed.settings, StationeryKeys{"a, b.png"}) << mixed.problem.toStdString();
    // No file, or a profile that names no picture: no stationery, nothing wrong.
    for (const char* content : {"", "[General]\npage=1\n", "[General]\npicture=\n", "[other]\npicture=a.png\n",
                                "[Paper]\nwidth=241.3\nheight=139.7\n"}) {
        const StationerySettingsRead none = readStationerySettings(qPath(dir.write("n.zarvo", content)));
        EXPECT_FALSE(none.settings.has_value()) << content;
        EXPECT_EQ(none.problem, QString()) << content;
    }
    const StationerySettingsRead missing = readStationerySettings(inside(dir, "x.zarvo"));
    EXPECT_FALSE(missing.settings.has_value());
    EXPECT_EQ(missing.problem, QString());
}

TEST(StationerySettingsTest, PicturePathsAreStoredRelativeToTheReport) {
    const struct {
        const char* picture;
        const char* report;
        const char* stored;
    } cases[] = {
        {"/forms/a.png", "/forms/note.txt", "a.png"},
        {"/forms/scans/底圖.png", "/forms/note.txt", "scans/底圖.png"},
        {"/forms/scans/a.png", "/forms/reports/note.txt", "../scans/a.png"},
        {"/other/a.png", "/forms/reports/note.txt", "../../other/a.png"},
        {"/forms/a.png", "", "/forms/a.png"},
    };
    for (const auto& c : cases) {
        const QString picture = QString::fromUtf8(c.picture);
        const QString report = QString::fromUtf8(c.report);
        const QString stored = relativePicturePath(picture, report);
        EXPECT_EQ(stored, QString::fromUtf8(c.stored)) << c.picture;
        EXPECT_EQ(absolutePicturePath(stored, report), picture) << c.picture;
    }
    // Save As to another folder keeps pointing at the same picture.
    const QString moved = relativePicturePath(
        absolutePicturePath("../scans/a.png", "/forms/reports/note.txt"), "/forms/copy.txt");
    EXPECT_EQ(moved, QStringLiteral("scans/a.png"));
}

}  // namespace
}  // namespace zarvo
