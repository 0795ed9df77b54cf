// The icon picker through a real climbs window: what the sample cell holds
// after a double-click, Enter, Esc and the close box; the items; the position.
#include "athletes_fixture.h"

#include "athletes/RegisterWindows.h"
#include "athletes/frmIcons.h"
#include "core/DataGlobals.h"
#include "core/ProfileGlobals.h"
#include "core/WindowRegistry.h"
#include "platform/data/RecordsetModel.h"
#include "records/frmDatiSal.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QTableView>
#include <QTimer>
#include <functional>

namespace {

constexpr int IconColumn = 3;

class IconsTest : public AthletesTest {
protected:
    void SetUp() override
    {
        AthletesTest::SetUp();
        ImageList2.Clear();
        const Qt::GlobalColor colours[] = {Qt::red, Qt::green, Qt::blue};
        int i = 0;
        for (const char *key : {"summit", "bar", "church"}) {
            QImage img(16, 16, QImage::Format_RGB32);
            img.fill(colours[i++]);
            ImageList2.Add(QLatin1String(key), img);
        }
        IconKey.clear();
        RegisterAthletesWindows();   // the picker is registered with the athletes' windows
        AddPlace(true, QStringLiteral("A"));
        for (int km = 0; km < 2; ++km)
            CurrentDb->Execute(QStringLiteral("INSERT INTO [CampioniSalite] ([IDPercorso], [DistParz], [Altezza]) VALUES ('A', ?, ?)"),
                               0, {km, 100 + km * 50});
    }
    void TearDown() override
    {
        m_climbs.reset();
        ImageList2.Clear();
        AthletesTest::TearDown();
    }
    static void Press(QWidget *to, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(to, &release);
    }
    // A double-click as the window system delivers it: the second press goes
    // to whatever the first click left under the pointer (an editor, say).
    static void DoubleClick(QAbstractItemView *view, const QPoint &at)
    {
        const QPoint global = view->viewport()->mapToGlobal(at);
        auto send = [&](QWidget *to, QEvent::Type t) {
            const QPoint local = to->mapFrom(view->viewport(), at);
            QMouseEvent e(t, local, global, Qt::LeftButton,
                          t == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(to, &e);
        };
        send(view->viewport(), QEvent::MouseButtonPress);
        send(view->viewport(), QEvent::MouseButtonRelease);
        QWidget *under = view->viewport()->childAt(at);
        QWidget *to = under ? under : view->viewport();
        send(to, QEvent::MouseButtonDblClick);
        send(to, QEvent::MouseButtonRelease);
    }
    CardWindow &OpenClimbs()
    {
        m_climbs = std::make_unique<frmDatiSal>();
        m_climbs->show();
        m_climbs->cmdAltim_Click();
        return *m_climbs;
    }
    // Opens the picker on the icon cell of a sample (Enter on the current
    // cell, or a double-click on a cell that is not current yet), acts on it,
    // and returns what the cell holds once the picker has gone.
    QString PickFor(int row, const std::function<void(frmIcons *)> &act, bool doubleClick = false)
    {
        auto *grid = qobject_cast<QTableView *>(m_climbs->Control(QStringLiteral("DBGrid1")));
        const QModelIndex cell = m_climbs->SampleModel()->index(row, IconColumn);
        grid->setCurrentIndex(doubleClick ? cell.siblingAtColumn(0) : cell);
        bool seen = false;
        QTimer::singleShot(0, [&]() {
            auto *picker = qobject_cast<frmIcons *>(QApplication::activeModalWidget());
            if (!picker)
                return;
            seen = true;
            act(picker);
        });
        if (doubleClick)
            DoubleClick(grid, grid->visualRect(cell).center());
        else
            Press(grid, Qt::Key_Return);
        EXPECT_TRUE(seen);
        EXPECT_EQ(WindowRegistry::Find(QStringLiteral("frmIcons")), nullptr);   // unloaded
        return m_climbs->SampleModel()->value(row, IconColumn).toString();
    }

    // The stored icons of the climb's samples, in distance order.
    QStringList Icons()
    {
        QStringList icons;
        dao::RecordsetPtr rs = CurrentDb->OpenRecordset(
            QStringLiteral("SELECT [image] FROM [CampioniSalite] WHERE [IDPercorso] = 'A' ORDER BY [DistParz]"), dao::dbOpenSnapshot);
        for (; !rs->AtEOF(); rs->MoveNext())
            icons << rs->Value(QStringLiteral("image")).toString();
        rs->Close();
        return icons;
    }

    std::unique_ptr<CardWindow> m_climbs;
};

TEST_F(IconsTest, EachWayOfClosingAndWhatTheCellGets)
{
    CardWindow &w = OpenClimbs();
    QStringList items;
    // A double-click on the cell opens the list, one on its second item picks it.
    EXPECT_EQ(PickFor(0, [&](frmIcons *p) {
                  EXPECT_EQ(p->windowTitle(), QStringLiteral("Icons"));
                  QListWidget *list = p->ListView1();
                  for (int i = 0; i < list->count(); ++i) {
                      items << list->item(i)->text();
                      EXPECT_EQ(list->item(i)->icon().pixmap(16, 16).toImage().pixelColor(8, 8),
                                ImageList2.Items().at(i).picture.pixelColor(8, 8));
                  }
                  DoubleClick(list, list->visualItemRect(list->item(1)).center());
              }, true),
              QStringLiteral("bar"));
    EXPECT_EQ(items, (QStringList{"summit", "bar", "church"}));   // the image list's keys, in its order
    // Enter on the third.
    EXPECT_EQ(PickFor(1, [](frmIcons *p) {
                  p->ListView1()->setCurrentRow(2);
                  Press(p->ListView1(), Qt::Key_Return);
              }),
              QStringLiteral("church"));
    // The close box picks nothing: the sample keeps its icon, though IconKey
    // still holds the last pick.
    EXPECT_EQ(PickFor(0, [](frmIcons *p) { p->close(); }), QStringLiteral("bar"));
    EXPECT_EQ(IconKey, QStringLiteral("church"));
    w.SampleModel()->CommitRow();
    EXPECT_EQ(Icons(), (QStringList{"bar", "church"}));   // the picks are written with the rows
    // Esc in the list empties the icon; Esc in the window itself does too.
    EXPECT_EQ(PickFor(1, [](frmIcons *p) { Press(p->ListView1(), Qt::Key_Escape); }), QString());
    EXPECT_EQ(IconKey, QString());
    IconKey = QStringLiteral("summit");
    EXPECT_EQ(PickFor(0, [](frmIcons *p) { Press(p, Qt::Key_Escape); }), QString());
    w.SampleModel()->CommitRow();
    EXPECT_EQ(Icons(), (QStringList{"", ""}));
}

TEST_F(IconsTest, EmptyListPicksNothing)
{
    ImageList2.Clear();
    OpenClimbs();
    m_climbs->SampleModel()->setData(m_climbs->SampleModel()->index(0, IconColumn), QStringLiteral("bar"), Qt::EditRole);
    IconKey = QStringLiteral("old");
    EXPECT_EQ(PickFor(0, [](frmIcons *p) {
                  EXPECT_EQ(p->ListView1()->count(), 0);
                  Press(p->ListView1(), Qt::Key_Return);         // nothing selected: nothing happens
                  DoubleClick(p->ListView1(), QPoint(20, 10));
                  EXPECT_TRUE(p->isVisible());
                  EXPECT_EQ(IconKey, QStringLiteral("old"));
                  p->close();
              }),
              QStringLiteral("bar"));
}

TEST_F(IconsTest, PositionOverACloseAndReopen)
{
    const QString section = QStringLiteral("frmIcons");
    auto *p = new frmIcons;
    p->show();
    p->move(30, 45);
    p->close();   // deleted on close
    EXPECT_EQ(GetSetting(AppName, section, QStringLiteral("Left")), QStringLiteral("450"));
    EXPECT_EQ(GetSetting(AppName, section, QStringLiteral("Top")), QStringLiteral("675"));
    {
        frmIcons again;
        again.setAttribute(Qt::WA_DeleteOnClose, false);
        EXPECT_EQ(again.pos(), QPoint(30, 45));
    }
    // Not whole numbers, or beyond 16 bits: that coordinate stays where the
    // window opens over its owner.
    QWidget owner;
    owner.setGeometry(100, 100, 700, 500);
    owner.show();
    struct Case { const char *left, *top; bool leftKept, topKept; };
    for (const Case &c : {Case{"70000", "1e3", false, false}, Case{"x", "-40000", false, false},
                          Case{"1500", "1.5", true, false}, Case{"99999", "750", false, true}}) {
        SCOPED_TRACE(c.left);
        SaveSetting(AppName, section, QStringLiteral("Left"), QLatin1String(c.left));
        SaveSetting(AppName, section, QStringLiteral("Top"), QLatin1String(c.top));
        frmIcons bad(&owner);
        bad.setAttribute(Qt::WA_DeleteOnClose, false);
        bad.show();
        QDialog plain(&owner, bad.windowFlags());
        plain.resize(bad.size());
        plain.show();
        EXPECT_EQ(bad.x(), c.leftKept ? 100 : plain.x());
        EXPECT_EQ(bad.y(), c.topKept ? 50 : plain.y());
        EXPECT_NE(plain.pos(), QPoint(0, 0));
    }
}

} // namespace
