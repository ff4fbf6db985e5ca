#include "app/skin.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace zorlith {

namespace {

constexpr int kToolSkin = 2;

} // namespace

QString EmbeddedSkinSheet() {
    return QStringLiteral(R"(/* ZorlithPK10 skin 2 */
* {
    font-family: "Noto Sans CJK SC", "Noto Sans CJK", "WenQuanYi Micro Hei", sans-serif;
    font-size: 12px;
}
QWidget#MainWindow, QWidget#StatusWindow {
    background-color: #f4f6f8;
    color: #1f2933;
}
QGroupBox {
    background-color: #ffffff;
    border: 1px solid #c8d1da;
    border-radius: 4px;
}
QLabel#透明标签_期号 {
    color: #1f4e79;
    font-size: 14px;
    font-weight: bold;
    background: transparent;
}
QLabel#透明标签_开奖号码 {
    color: #b03a2e;
    font-size: 15px;
    font-weight: bold;
    background: transparent;
}
QLabel#透明标签2, QLabel#透明标签4 {
    color: #52606d;
    background: transparent;
}
QLabel#透明标签4 {
    color: #b03a2e;
    font-weight: bold;
}
QPlainTextEdit#编辑框1 {
    background-color: #ffffff;
    color: #1f2933;
    border: 1px solid #c8d1da;
    selection-background-color: #cfe3f5;
    selection-color: #1f2933;
    font-size: 13px;
}
QTreeWidget#超级列表框2 {
    background-color: #ffffff;
    alternate-background-color: #f7f9fb;
    border: 1px solid #c8d1da;
}
QHeaderView::section {
    background-color: #e9eef3;
    color: #323f4b;
    border: none;
    border-right: 1px solid #c8d1da;
    border-bottom: 1px solid #c8d1da;
    padding: 2px 4px;
}
QPushButton {
    background-color: #2f6f9f;
    color: #ffffff;
    border: 1px solid #245a82;
    border-radius: 3px;
    padding: 0 4px;
}
QPushButton:hover {
    background-color: #3a82b8;
}
QPushButton:pressed {
    background-color: #245a82;
}
QLabel[role="link"] {
    background: transparent;
}
QLabel#标签1 {
    color: #323f4b;
    font-size: 13px;
    background: transparent;
}
)");
}

QString SkinFilePath(const QString& executableDir) {
    return QDir(executableDir).filePath(QStringLiteral(".skin.qss"));
}

QString LoadSkinSheet(const QString& path) {
    if (!QFile::exists(path)) {
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(EmbeddedSkinSheet().toUtf8());
            file.commit();
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return EmbeddedSkinSheet();
    }
    return QString::fromUtf8(file.readAll());
}

void ApplySkin(int skinNumber, const QString& executableDir) {
    if (skinNumber != kToolSkin) {
        return;
    }
    qApp->setStyleSheet(LoadSkinSheet(SkinFilePath(executableDir)));
}

} // namespace zorlith
