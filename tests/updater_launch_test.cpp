#include "app/update_hand_off.h"
#include "app_test_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zorlith {
namespace {

TEST(UpdaterLaunchTest, ArgumentsComeInTheirOrder) {
    const QStringList args =
        UpdaterArguments(UpdateOffer{"1.2", "http://127.0.0.1:19200/download/zorlith-pk10"},
                         QStringLiteral("zorlith-pk10"));
    EXPECT_EQ(args, (QStringList{QStringLiteral("ZorlithPK10平刷冠军单双"), QStringLiteral("1.15"),
                                 QStringLiteral("1.2"),
                                 QStringLiteral("http://127.0.0.1:19200/download/zorlith-pk10"),
                                 QStringLiteral("zorlith-pk10")}));
}

TEST(UpdaterLaunchTest, AnAddressWithASpaceStaysOneArgument) {
    const QStringList args =
        UpdaterArguments(UpdateOffer{"2.0", "http://127.0.0.1/a b"}, QStringLiteral("x"));
    ASSERT_EQ(args.size(), 5);
    EXPECT_EQ(args[3], QStringLiteral("http://127.0.0.1/a b"));
}

TEST(UpdaterLaunchTest, AnExistingUpdaterIsStartedWithTheArguments) {
    QTemporaryDir dir;
    const QString updater = dir.filePath(QStringLiteral("更新器"));
    const QString record = dir.filePath(QStringLiteral("arguments.txt"));
    {
        QFile script(updater);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part' && mv '%1.part' '%1'\n")
                .arg(record)
                .toUtf8());
    }
    QFile::setPermissions(updater, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    DetachedUpdaterHandOff handOff(updater, QStringLiteral("zorlith-pk10"));
    handOff.start(UpdateOffer{"1.9", "http://127.0.0.1/u"});

    ASSERT_TRUE(testing::ProcessEventsUntil([&] { return QFile::exists(record); }, 5000));
    QFile written(record);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QString::fromUtf8(written.readAll()),
        QStringLiteral("ZorlithPK10平刷冠军单双\n1.15\n1.9\nhttp://127.0.0.1/u\nzorlith-pk10\n"));
}

TEST(UpdaterLaunchTest, AMissingUpdaterWithoutAnImageStartsNothing) {
    QTemporaryDir dir;
    const QString updater = dir.filePath(QStringLiteral("更新器"));
    DetachedUpdaterHandOff handOff(updater, QStringLiteral("zorlith-pk10"));
    handOff.start(UpdateOffer{"1.9", "http://127.0.0.1/u"});
    EXPECT_FALSE(QFile::exists(updater));
}

} // namespace
} // namespace zorlith
