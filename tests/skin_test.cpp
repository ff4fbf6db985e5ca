#include "app/app_files.h"
#include "app/skin.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace zorlith {
namespace {

QString ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(SkinTest, TheSkinIsAHiddenFileNextToTheExecutable) {
    QTemporaryDir dir;
    const QString path = SkinFilePath(dir.path());
    EXPECT_EQ(QFileInfo(path).dir().path(), dir.path());
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QLatin1Char('.')));
}

TEST(SkinTest, TheEmbeddedSheetIsWrittenOnceAndReadFromTheFile) {
    QTemporaryDir dir;
    ApplySkin(2, dir.path());
    const QString path = SkinFilePath(dir.path());
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(ReadFile(path), EmbeddedSkinSheet());
    EXPECT_EQ(qApp->styleSheet(), EmbeddedSkinSheet());
    EXPECT_TRUE(EmbeddedSkinSheet().contains(QStringLiteral("Noto Sans CJK")));
}

TEST(SkinTest, AnExistingFileIsUsedUnchanged) {
    QTemporaryDir dir;
    const QString path = SkinFilePath(dir.path());
    const QString edited = QStringLiteral("QWidget { color: #123456; }");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(edited.toUtf8());
    }
    ApplySkin(2, dir.path());
    EXPECT_EQ(ReadFile(path), edited);
    EXPECT_EQ(qApp->styleSheet(), edited);
}

TEST(SkinTest, AnUnwritableDirectoryGetsTheEmbeddedSheetDirectly) {
    // Root writes into read-only directories, but /proc takes no new files from anyone.
    QTemporaryDir dir;
    const bool root = geteuid() == 0;
    const QString unwritable = root ? QStringLiteral("/proc") : dir.path();
    if (!root) {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    EXPECT_EQ(LoadSkinSheet(SkinFilePath(unwritable)), EmbeddedSkinSheet());
    EXPECT_FALSE(QFile::exists(SkinFilePath(unwritable)));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(SkinTest, AMissingDirectoryGetsTheEmbeddedSheetDirectly) {
    QTemporaryDir dir;
    EXPECT_EQ(LoadSkinSheet(SkinFilePath(dir.filePath(QStringLiteral("gone")))),
              EmbeddedSkinSheet());
}

TEST(SkinTest, OnlySkinTwoExists) {
    QTemporaryDir dir;
    qApp->setStyleSheet(QString());
    ApplySkin(7, dir.path());
    EXPECT_EQ(qApp->styleSheet(), QString());
    EXPECT_FALSE(QFile::exists(SkinFilePath(dir.path())));
}

TEST(AppFilesTest, AStaleUpdaterIsRemoved) {
    QTemporaryDir dir;
    const QString updater = UpdaterPath(dir.path());
    EXPECT_EQ(QFileInfo(updater).fileName(), QStringLiteral("更新器"));
    {
        QFile file(updater);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old updater");
    }
    RemoveStaleUpdater(updater);
    EXPECT_FALSE(QFile::exists(updater));
    RemoveStaleUpdater(updater);
    EXPECT_FALSE(QFile::exists(updater));
}

} // namespace
} // namespace zorlith
