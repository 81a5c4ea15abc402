#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "cmdpad/CommandSetFile.h"
#include "support/TestProgram.h"

namespace keyrelay {
namespace {

class DirxTest : public ::testing::Test {
protected:
    DirxTest() : pad(p.pad()) {
        for (const char* name : {"alpha.ini", "Beta.INI", "gamma.Ini", "notes.txt", "x.ini.bak"}) {
            CommandSet set;
            set.AppTitle = QString::fromLatin1(name);
            CommandSetFile::save(p.path(QString::fromLatin1(name)), set);
        }
        pad.AppTitle->setText(QStringLiteral("before"));
    }

    Dirx& chooser() { return p.windows.get<Dirx>(); }

    QStringList listed() {
        QStringList out;
        for (int i = 0; i < chooser().File1->count(); ++i) {
            out << chooser().File1->item(i)->text();
        }
        return out;
    }

    void select(const QString& name) {
        const auto items = chooser().File1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        chooser().File1->setCurrentItem(items.first());
    }

    void press(int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(chooser().File1, &event);
    }

    QByteArray lastFile() {
        QFile f(p.path(Dirx::LastFileName));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }

    test::TestProgram p;
    CmdPadF& pad;
};

TEST_F(DirxTest, ListsSetupFilesOfTheWorkingFolderIgnoringLetterCase) {
    EXPECT_EQ(chooser().windowTitle(), QStringLiteral("Director"));
    EXPECT_EQ(chooser().Command2->text(), QStringLiteral("Go F2"));
    EXPECT_EQ(chooser().Command1->text(), QStringLiteral("Close"));
    EXPECT_EQ(chooser().Filetype->text(), QStringLiteral("*.INI"));
    EXPECT_EQ(listed(), (QStringList{"alpha.ini", "Beta.INI", "gamma.Ini"}));
}

TEST_F(DirxTest, ActivationResetsThePattern) {
    chooser().Filetype->setText(QStringLiteral("*.txt"));
    chooser().applyPattern();
    EXPECT_EQ(listed(), (QStringList{"notes.txt"}));
    test::TestProgram::activate(chooser());
    EXPECT_EQ(chooser().Filetype->text(), QStringLiteral("*.INI"));
    EXPECT_EQ(listed(), (QStringList{"alpha.ini", "Beta.INI", "gamma.Ini"}));
}

TEST_F(DirxTest, SeveralPatternsAreSeparatedBySemicolons) {
    chooser().Filetype->setText(QStringLiteral("*.txt;*.bak"));
    chooser().applyPattern();
    EXPECT_EQ(listed(), (QStringList{"notes.txt", "x.ini.bak"}));
}

TEST_F(DirxTest, GoAndDoubleClickLoadTheSelectedSet) {
    for (const bool doubleClick : {false, true}) {
        SCOPED_TRACE(doubleClick ? "double click" : "Go");
        test::TestProgram q;
        for (const char* name : {"alpha.ini", "Beta.INI"}) {
            CommandSet set;
            set.AppTitle = QString::fromLatin1(name);
            CommandSetFile::save(q.path(QString::fromLatin1(name)), set);
        }
        CmdPadF& w = q.pad();
        w.Compress();
        w.LD->trigger();  // expands, then opens the chooser
        EXPECT_EQ(w.EXp->text(), QStringLiteral("Collapse"));
        Dirx& d = q.windows.get<Dirx>();
        EXPECT_FALSE(d.isHidden());
        QListWidgetItem* item = d.File1->findItems(QStringLiteral("Beta.INI"), Qt::MatchExactly)[0];
        d.File1->setCurrentItem(item);
        if (doubleClick) {
            emit d.File1->itemDoubleClicked(item);
        } else {
            d.Command2->click();
        }
        EXPECT_EQ(w.FlName->text(), QStringLiteral("Beta.INI"));
        EXPECT_EQ(w.AppTitle->text(), QStringLiteral("Beta.INI"));
        QFile last(q.path(Dirx::LastFileName));
        ASSERT_TRUE(last.open(QIODevice::ReadOnly));
        EXPECT_EQ(last.readAll(), QByteArray("Beta.INI\r\n"));
        EXPECT_FALSE(q.windows.isLoaded(Dirx::Name));
        EXPECT_FALSE(w.CMND[0]->isHidden());  // the set shows in the full layout
    }
}

TEST_F(DirxTest, F2TakesTheNameOnly) {
    select(QStringLiteral("alpha.ini"));
    press(Qt::Key_F2);
    EXPECT_EQ(pad.FlName->text(), QStringLiteral("alpha.ini"));
    EXPECT_EQ(pad.AppTitle->text(), QStringLiteral("before"));
    EXPECT_EQ(lastFile(), QByteArray("<none>"));
    EXPECT_TRUE(p.windows.isLoaded(Dirx::Name));
}

TEST_F(DirxTest, EscAndCloseLeaveTheNameAlone) {
    select(QStringLiteral("alpha.ini"));
    press(Qt::Key_Escape);
    EXPECT_FALSE(p.windows.isLoaded(Dirx::Name));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    select(QStringLiteral("alpha.ini"));
    chooser().Command1->click();
    EXPECT_FALSE(p.windows.isLoaded(Dirx::Name));
    EXPECT_EQ(pad.FlName->text(), QStringLiteral("CmdPadF.ini"));
    EXPECT_EQ(lastFile(), QByteArray("<none>"));
}

TEST_F(DirxTest, GoWithoutASelectionEmptiesTheNameAndLoadsNothing) {
    chooser().File1->setCurrentItem(nullptr);
    chooser().Go();
    EXPECT_EQ(pad.FlName->text(), QString());
    EXPECT_EQ(pad.AppTitle->text(), QStringLiteral("before"));
    EXPECT_EQ(lastFile(), QByteArray("\r\n"));
    // The empty name writes nothing at shutdown either.
    EXPECT_NO_THROW(pad.SaveFile());
}

TEST_F(DirxTest, FileFromAnotherFolderKeepsItsPath) {
    QDir(p.folder.path()).mkdir(QStringLiteral("sets"));
    CommandSet set;
    set.AppTitle = QStringLiteral("from sets");
    CommandSetFile::save(p.path("sets/night.ini"), set);
    chooser().setFolder(p.path("sets"));
    EXPECT_EQ(listed(), (QStringList{"night.ini"}));
    select(QStringLiteral("night.ini"));
    chooser().Go();
    EXPECT_EQ(QDir::cleanPath(pad.FlName->text()), QDir::cleanPath(p.path("sets/night.ini")));
    EXPECT_EQ(pad.AppTitle->text(), QStringLiteral("from sets"));
}

}  // namespace
}  // namespace keyrelay
