// The Add or Edit Favorite dialog driven through its controls the way the commands run it:
// modally, with exec(), the test acting from inside the open dialog.
#include "commands/CAddEditDlg.h"
#include "store/Frequency.h"

#include "support/ModalAnswerer.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <functional>

// Texts show as text in failure messages.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kEnterSite = QStringLiteral("Please enter a Web site.");
const QString kNoSpaces = QStringLiteral("A Web site address cannot contain spaces.");

class AddEditDialog : public ::testing::Test {
protected:
    template <typename T> T* control(const char* name)
    {
        T* found = m_dlg.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            ADD_FAILURE() << "the dialog has no control " << name;
        return found;
    }
    QPushButton* okButton() { return control<QPushButton>("okButton"); }
    QPushButton* cancelButton() { return control<QPushButton>("cancelButton"); }
    QLineEdit* urlEdit() { return control<QLineEdit>("urlEdit"); }
    // Hourly, Daily, Weekly, Monthly: the buttons of frequencies 1 to 4.
    std::array<QRadioButton*, 4> radios()
    {
        return { control<QRadioButton>("hourlyRadio"), control<QRadioButton>("dailyRadio"),
            control<QRadioButton>("weeklyRadio"), control<QRadioButton>("monthlyRadio") };
    }
    QRadioButton* radio(int frequency) { return radios().at(static_cast<size_t>(frequency - 1)); }

    // Runs the dialog modally as the commands do; `inside` runs once it is up and active and
    // must end it. Returns exec()'s result.
    int runModal(const std::function<void()>& inside)
    {
        ModalAnswerer answerer;
        answerer.then([&](QWidget* window) {
            EXPECT_EQ(window, &m_dlg) << "the modal window is not the dialog";
            EXPECT_TRUE(WaitFor([&] { return m_dlg.isActiveWindow(); }, 5000)) << "the dialog never became active";
            inside();
        });
        // Steps that fail to end the dialog must not hang the suite.
        QObject guard;
        QTimer::singleShot(20000, &guard, [this] {
            ADD_FAILURE() << "the dialog was still open after 20 s";
            m_dlg.done(QDialog::Rejected);
        });
        const int result = m_dlg.exec();
        EXPECT_EQ(answerer.pending(), 0) << "the dialog never came up";
        return result;
    }

    // Clicks OK, which has to refuse the address with a message box and keep the dialog open.
    // Returns the box's text.
    QString clickOkExpectingRefusal()
    {
        QString text;
        ModalAnswerer boxes;
        boxes.then([&text](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (!box) {
                ADD_FAILURE() << "OK opened a window that is no message box";
                window->close();
                return;
            }
            text = box->text();
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Nelvox")) << text.toStdString();
            EXPECT_EQ(box->buttons().size(), 1) << text.toStdString();
            if (QAbstractButton* ok = ModalAnswerer::findButton(box, QStringLiteral("OK")))
                ok->click();
            else
                box->done(0);
        });
        QTest::mouseClick(okButton(), Qt::LeftButton);
        EXPECT_EQ(boxes.pending(), 0) << "OK showed no message box";
        EXPECT_TRUE(m_dlg.isVisible()) << "the refused OK closed the dialog";
        return text;
    }

    // The state every run opens in, whatever the previous run left behind.
    void expectFreshRun(const QString& address)
    {
        EXPECT_EQ(urlEdit()->text(), address);
        for (QRadioButton* button : radios())
            EXPECT_FALSE(button->isChecked()) << button->text().toStdString() << " is checked at the start";
        EXPECT_FALSE(okButton()->isEnabled()) << "OK is enabled before a frequency was chosen";
        EXPECT_EQ(QApplication::focusWidget(), cancelButton()) << "the focus does not start on Cancel";
    }

    void typeAddress(const QString& address)
    {
        urlEdit()->selectAll();
        if (address.isEmpty())
            QTest::keyClick(urlEdit(), Qt::Key_Delete);
        else
            QTest::keyClicks(urlEdit(), address);
    }

    CAddEditDlg m_dlg;
};

TEST_F(AddEditDialog, IsBuiltLikeItsTemplate)
{
    EXPECT_EQ(m_dlg.windowTitle(), QStringLiteral("Nelvox v1.0 - Add or Edit Favorite"));
    // The rule's section below the frequencies adds its height.
    EXPECT_EQ(m_dlg.size(), QSize(420, 480));
    EXPECT_EQ(m_dlg.minimumSize(), QSize(420, 480)) << "the dialog can be resized";
    EXPECT_EQ(m_dlg.maximumSize(), QSize(420, 480)) << "the dialog can be resized";
    const Qt::WindowFlags flags = m_dlg.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint)) << "no close box";
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint)) << "a help button";
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint)) << "a maximise button";

    // Dialog units to pixels: 1.5 across, 1.625 down. A caption that the desktop's font makes
    // wider than its box may grow to the right, up to the edit box's right edge (322).
    const struct {
        const char* name;
        QString text;
        QRect geometry;
        bool mayGrow;
    } controls[] = {
        { "okButton", QStringLiteral("OK"), QRect(335, 11, 75, 23), false },
        { "cancelButton", QStringLiteral("Cancel"), QRect(335, 39, 75, 23), false },
        { "titleLabel", QStringLiteral("ADD OR EDIT FAVORITE"), QRect(11, 11, 131, 15), true },
        { "urlLabel", QStringLiteral("Type name of website (include \"http://\"):"), QRect(11, 55, 197, 16), true },
        { "urlEdit", QString(), QRect(11, 72, 312, 20), false },
        { "frequencyLabel", QStringLiteral("How often do you want to check for updates?"), QRect(11, 99, 113, 31),
            true },
        { "hourlyRadio", QStringLiteral("Hourly"), QRect(11, 133, 51, 21), true },
        { "dailyRadio", QStringLiteral("Daily (at 5 PM)"), QRect(11, 154, 90, 21), true },
        { "weeklyRadio", QStringLiteral("Weekly (Fridays at 5 PM)"), QRect(11, 176, 153, 21), true },
        { "monthlyRadio", QStringLiteral("Monthly (First day of the month, 5 PM)"), QRect(11, 198, 200, 21), true },
    };
    for (const auto& c : controls) {
        auto* widget = control<QWidget>(c.name);
        if (!widget)
            continue;
        const QRect box = widget->geometry();
        if (c.mayGrow) {
            EXPECT_EQ(box.topLeft(), c.geometry.topLeft()) << c.name;
            EXPECT_EQ(box.height(), c.geometry.height()) << c.name;
            EXPECT_GE(box.width(), c.geometry.width()) << c.name;
            EXPECT_LE(box.right(), 322) << c.name << " runs into the buttons' column";
        } else {
            EXPECT_EQ(box, c.geometry) << c.name;
        }
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
            EXPECT_TRUE(label->wordWrap()) << c.name << " does not wrap in its box";
            EXPECT_LE(label->heightForWidth(box.width()), box.height()) << c.name << " is cut off";
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            text = button->text();
            if (c.mayGrow) {
                EXPECT_LE(button->sizeHint().width(), box.width()) << c.name << " is cut off";
            }
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            text = edit->text();
        }
        EXPECT_EQ(text, c.text) << c.name;
    }
    if (auto* question = control<QLabel>("frequencyLabel")) {
        EXPECT_GT(question->heightForWidth(question->width()), question->fontMetrics().height())
            << "the question does not wrap onto a second line";
    }
    EXPECT_TRUE(okButton()->isDefault()) << "OK is not the default button";
    EXPECT_EQ(urlEdit()->maxLength(), INT_MAX) << "the address has a length limit";

    // Tab order: OK, Cancel, the edit box, the frequencies, then the rule.
    const QStringList expected { "okButton", "cancelButton", "urlEdit", "hourlyRadio", "dailyRadio", "weeklyRadio",
        "monthlyRadio", "pageLengthRadio", "pageTextRadio", "linkAddressesCheck", "ignoreNumbersCheck",
        "ignoreSelfChangingCheck", "ignoreLinesEdit", "partEdit" };
    QStringList order;
    QWidget* widget = okButton();
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget && widget != okButton() && order.size() <= expected.size());
    EXPECT_EQ(order, expected);
}

TEST_F(AddEditDialog, OpensWithNothingChosenAndOkRefusesUntilAFrequencyIs)
{
    // What an earlier favorite had must not pre-select anything.
    m_dlg.setShown({ QString(), FREQ_WEEKLY, {} });

    const int result = runModal([&] {
        expectFreshRun(QString());

        typeAddress(QStringLiteral("http://127.0.0.1/page.html"));
        EXPECT_FALSE(okButton()->isEnabled()) << "typing an address enabled OK";

        // Enter in the edit box goes to the default button, OK, which is still disabled.
        QTest::mouseClick(urlEdit(), Qt::LeftButton);
        ASSERT_EQ(QApplication::focusWidget(), urlEdit());
        QTest::keyClick(urlEdit(), Qt::Key_Return);
        QTest::keyClick(urlEdit(), Qt::Key_Enter);
        EXPECT_TRUE(m_dlg.isVisible()) << "Enter ended the dialog before a frequency was chosen";
        // Nor does a direct request for OK get through.
        m_dlg.accept();
        EXPECT_TRUE(m_dlg.isVisible()) << "accept() ended the dialog before a frequency was chosen";
        EXPECT_FALSE(m_dlg.choice()) << "OK was taken before a frequency was chosen";

        // On the focused Cancel button Enter means Cancel.
        cancelButton()->setFocus();
        QTest::keyClick(cancelButton(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(m_dlg.choice());
}

TEST_F(AddEditDialog, OpensWithTheAddressItIsGiven)
{
    m_dlg.setShown({ QStringLiteral("http://127.0.0.1:8080/news/index.html"), FREQ_DAILY, {} });
    runModal([&] {
        expectFreshRun(QStringLiteral("http://127.0.0.1:8080/news/index.html"));
        QTest::mouseClick(cancelButton(), Qt::LeftButton);
    });
}

TEST_F(AddEditDialog, EachFrequencyEnablesOkAndIsWhatOkLeaves)
{
    for (int frequency = 1; frequency <= 4; ++frequency) {
        SCOPED_TRACE(::testing::Message() << "frequency " << frequency);
        m_dlg.setShown({ QStringLiteral("http://127.0.0.1/%1").arg(frequency), FREQ_NONE, {} });
        const int result = runModal([&] {
            QTest::mouseClick(radio(frequency), Qt::LeftButton);
            EXPECT_TRUE(radio(frequency)->isChecked());
            EXPECT_TRUE(okButton()->isEnabled()) << "choosing a frequency did not enable OK";
            QTest::mouseClick(okButton(), Qt::LeftButton);
        });
        EXPECT_EQ(result, QDialog::Accepted);
        ASSERT_TRUE(m_dlg.choice());
        EXPECT_EQ(m_dlg.choice()->address, QStringLiteral("http://127.0.0.1/%1").arg(frequency));
        EXPECT_EQ(m_dlg.choice()->frequency, frequency);
    }
}

TEST_F(AddEditDialog, TheLastFrequencyClickedCountsAndOkStaysEnabled)
{
    const int result = runModal([&] {
        typeAddress(QStringLiteral("http://127.0.0.1/weekly-then-hourly"));
        QTest::mouseClick(radio(3), Qt::LeftButton);
        QTest::mouseClick(radio(1), Qt::LeftButton);
        EXPECT_TRUE(radio(1)->isChecked());
        EXPECT_FALSE(radio(3)->isChecked()) << "the frequencies are not exclusive";
        EXPECT_TRUE(okButton()->isEnabled());
        // With a frequency chosen, Enter in the edit box is OK.
        QTest::mouseClick(urlEdit(), Qt::LeftButton);
        QTest::keyClick(urlEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_TRUE(m_dlg.choice());
    EXPECT_EQ(m_dlg.choice()->address, QStringLiteral("http://127.0.0.1/weekly-then-hourly"));
    EXPECT_EQ(m_dlg.choice()->frequency, FREQ_HOURLY);
}

TEST_F(AddEditDialog, RefusesAnEmptyAddressAndOneWithWhiteSpace)
{
    m_dlg.setShown({ QStringLiteral("http://127.0.0.1/old"), FREQ_NONE, {} });
    const int result = runModal([&] {
        QTest::mouseClick(radio(2), Qt::LeftButton);

        typeAddress(QString());
        EXPECT_EQ(clickOkExpectingRefusal(), kEnterSite);
        // Blanks alone are trimmed away to nothing.
        for (const char* blank : { " ", "   ", " \t\r\n " }) {
            urlEdit()->setText(QString::fromLatin1(blank));
            EXPECT_EQ(clickOkExpectingRefusal(), kEnterSite) << "address \"" << blank << '"';
        }

        const QString spaced[] = { QStringLiteral("http://127.0.0.1/a b"), QStringLiteral(" http://127.0.0.1/a b "),
            QStringLiteral("http://127.0.0.1/a\tb"),
            QStringLiteral("http://127.0.0.1/a") + QChar(0x00A0) + QStringLiteral("b") };
        for (const QString& address : spaced) {
            urlEdit()->setText(address);
            EXPECT_EQ(clickOkExpectingRefusal(), kNoSpaces) << "address \"" << address.toStdString() << '"';
        }

        EXPECT_FALSE(m_dlg.choice()) << "a refused OK counted as OK";
        EXPECT_TRUE(okButton()->isEnabled()) << "a refused OK disabled OK";
        EXPECT_TRUE(radio(2)->isChecked()) << "a refused OK lost the chosen frequency";
        typeAddress(QStringLiteral("http://127.0.0.1/fixed"));
        QTest::mouseClick(okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_TRUE(m_dlg.choice());
    EXPECT_EQ(m_dlg.choice()->address, QStringLiteral("http://127.0.0.1/fixed"));
    EXPECT_EQ(m_dlg.choice()->frequency, FREQ_DAILY);
}

TEST_F(AddEditDialog, TrimsThePastedAddressAndRefusesSchemesItCannotFetch)
{
    const QString kSchemes = QStringLiteral("Nelvox can watch http://, https:// and file:// addresses.");
    const int result = runModal([&] {
        QTest::mouseClick(radio(1), Qt::LeftButton);
        for (const char* address : { "ftp://127.0.0.1/pub/", "javascript:alert(1)", "mailto:a@example.com",
                 " FTP://127.0.0.1/\n", "c:\\pages\\a.html" }) {
            urlEdit()->setText(QString::fromLatin1(address));
            EXPECT_EQ(clickOkExpectingRefusal(), kSchemes) << "address \"" << address << '"';
        }
        urlEdit()->setText(QStringLiteral(" \t http://127.0.0.1/pasted\r\n"));
        QTest::mouseClick(okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_TRUE(m_dlg.choice());
    EXPECT_EQ(m_dlg.choice()->address, QStringLiteral("http://127.0.0.1/pasted"));

    // The schemes it can fetch are taken as they stand; an address without one gets http://.
    const std::pair<const char*, const char*> kept[] = {
        { "HTTPS://127.0.0.1/", "HTTPS://127.0.0.1/" },
        { "file:///tmp/page.html", "file:///tmp/page.html" },
        { "www.example.com/a:b", "http://www.example.com/a:b" },
        { "localhost:8080", "http://localhost:8080" },
        { "127.0.0.1:8765/news.html", "http://127.0.0.1:8765/news.html" },
    };
    for (const auto& [address, stored] : kept) {
        m_dlg.setShown({ QString::fromLatin1(address), FREQ_NONE, {} });
        runModal([&] {
            ModalAnswerer boxes;
            boxes.thenClick("OK");
            QTest::mouseClick(radio(2), Qt::LeftButton);
            QTest::mouseClick(okButton(), Qt::LeftButton);
            EXPECT_EQ(boxes.pending(), 1) << address << " refused: " << boxes.texts().value(0).toStdString();
            if (m_dlg.isVisible())
                m_dlg.done(QDialog::Rejected);
        });
        EXPECT_EQ(m_dlg.choice().value_or(FavoriteChoice {}).address, QString::fromLatin1(stored));
    }
}

TEST_F(AddEditDialog, CancelEscapeAndTheCloseBoxAllCancel)
{
    const struct {
        const char* way;
        std::function<void()> end;
    } ways[] = {
        { "Cancel", [&] { QTest::mouseClick(cancelButton(), Qt::LeftButton); } },
        { "Escape in the edit box", [&] { QTest::keyClick(urlEdit(), Qt::Key_Escape); } },
        { "Escape on a frequency", [&] { QTest::keyClick(radio(4), Qt::Key_Escape); } },
        { "the close box",
            [&] {
                QWindow* window = m_dlg.windowHandle();
                ASSERT_NE(window, nullptr);
                QCloseEvent close;
                QApplication::sendEvent(window, &close);
            } },
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        m_dlg.setShown({ QStringLiteral("http://127.0.0.1/kept"), FREQ_DAILY, {} });
        const int result = runModal([&] {
            typeAddress(QStringLiteral("http://127.0.0.1/typed"));
            QTest::mouseClick(radio(4), Qt::LeftButton);
            EXPECT_TRUE(okButton()->isEnabled());
            way.end();
        });
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_FALSE(m_dlg.isVisible());
        EXPECT_FALSE(m_dlg.choice()) << m_dlg.choice()->address.toStdString();
    }
}

TEST_F(AddEditDialog, EveryRunOfOneDialogStartsAfresh)
{
    // The first run ends with a frequency checked and the focus in the edit box.
    runModal([&] {
        QTest::mouseClick(radio(3), Qt::LeftButton);
        QTest::mouseClick(urlEdit(), Qt::LeftButton);
        typeAddress(QStringLiteral("http://127.0.0.1/first"));
        QTest::keyClick(urlEdit(), Qt::Key_Return);
    });
    ASSERT_TRUE(m_dlg.choice());
    ASSERT_EQ(m_dlg.choice()->address, QStringLiteral("http://127.0.0.1/first"));
    ASSERT_EQ(m_dlg.choice()->frequency, FREQ_WEEKLY);

    m_dlg.setShown({ QStringLiteral("http://127.0.0.1/second"), FREQ_DAILY, {} });
    runModal([&] {
        expectFreshRun(QStringLiteral("http://127.0.0.1/second"));
        EXPECT_FALSE(m_dlg.choice()) << "the last run's choice outlived it";
        QTest::mouseClick(urlEdit(), Qt::LeftButton);
        QTest::keyClick(urlEdit(), Qt::Key_Return);
        EXPECT_TRUE(m_dlg.isVisible()) << "Enter took OK in the second run before a frequency was chosen";
        QTest::mouseClick(cancelButton(), Qt::LeftButton);
    });
    EXPECT_FALSE(m_dlg.choice());
}

TEST_F(AddEditDialog, KeepsAnAddressOfAnyLength)
{
    const QString address = QStringLiteral("http://127.0.0.1/") + QString(70000, QLatin1Char('a'));
    m_dlg.setShown({ address, FREQ_NONE, {} });
    runModal([&] {
        EXPECT_EQ(urlEdit()->text().size(), address.size()) << "the edit box cut the address";
        QTest::mouseClick(radio(1), Qt::LeftButton);
        QTest::keyClicks(urlEdit(), QStringLiteral("bcd"));
        QTest::mouseClick(okButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(m_dlg.choice());
    EXPECT_EQ(m_dlg.choice()->address.size(), address.size() + 3);
    EXPECT_TRUE(m_dlg.choice()->address.startsWith(address));
}

// What counts as a change: the dialog opens with the rule it is handed, offers Page text's
// options only under it, refuses a pattern or a part of the page it cannot use, saying where,
// and leaves the rule chosen after OK.
TEST_F(AddEditDialog, ShowsTheRuleItIsHandedAndRefusesPatternsAndPartsItCannotUse)
{
    auto* pageLength = control<QRadioButton>("pageLengthRadio");
    auto* pageText = control<QRadioButton>("pageTextRadio");
    auto* links = control<QCheckBox>("linkAddressesCheck");
    auto* numbers = control<QCheckBox>("ignoreNumbersCheck");
    auto* lines = control<QPlainTextEdit>("ignoreLinesEdit");
    auto* part = control<QLineEdit>("partEdit");
    ASSERT_TRUE(pageLength && pageText && links && numbers && lines && part);
    m_dlg.setShown({ QStringLiteral("http://a.example/"), FREQ_NONE,
        ChangeRule { ChangeRule::Kind::PageText, false, true, { "Updated" }, "#main" } });
    runModal([&] {
        EXPECT_TRUE(pageText->isChecked());
        EXPECT_FALSE(links->isChecked());
        EXPECT_TRUE(numbers->isChecked());
        EXPECT_EQ(lines->toPlainText(), "Updated");
        EXPECT_EQ(part->text(), "#main");
        QTest::mouseClick(pageLength, Qt::LeftButton, {}, QPoint(6, pageLength->height() / 2));
        for (QWidget* option : std::initializer_list<QWidget*> { links, numbers, lines, part })
            EXPECT_FALSE(option->isEnabled()) << option->objectName().toStdString() << " under Page length";
        QTest::mouseClick(pageText, Qt::LeftButton, {}, QPoint(6, pageText->height() / 2));
        EXPECT_TRUE(part->isEnabled());
        QTest::mouseClick(radio(FREQ_DAILY), Qt::LeftButton);

        lines->setPlainText(QStringLiteral("Updated\n/(\\d+ views/\n"));
        EXPECT_EQ(clickOkExpectingRefusal(),
            QStringLiteral("The regular expression /(\\d+ views/ is not valid at character 12: missing closing "
                           "parenthesis."));
        lines->setPlainText(QStringLiteral("  Updated \n\n/\\d+ views/"));
        part->setText(QStringLiteral("div["));
        EXPECT_TRUE(
            clickOkExpectingRefusal().startsWith(QStringLiteral("The part of the page \"div[\" cannot be used: ")));
        EXPECT_EQ(m_dlg.focusWidget(), part) << "the focus goes where the fault is";
        part->setText(QStringLiteral(" article > p.price, //h1 "));
        EXPECT_TRUE(clickOkExpectingRefusal().startsWith(QStringLiteral("The part of the page")))
            << "CSS and XPath do not mix in one list";
        part->setText(QStringLiteral(" article > p.price "));
        QTest::mouseClick(okButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(m_dlg.choice());
    EXPECT_EQ(m_dlg.choice()->rule,
        (ChangeRule { ChangeRule::Kind::PageText, false, true, { "Updated", "/\\d+ views/" }, "article > p.price" }))
        << "a Page text rule without the option keeps it off";

    // A favorite that takes Page text here ignores what changes by itself, unless told not to.
    auto* selfChanging = control<QCheckBox>("ignoreSelfChangingCheck");
    ASSERT_TRUE(selfChanging);
    m_dlg.setShown({ QStringLiteral("http://b.example/"), FREQ_NONE, {} });
    runModal([&] {
        EXPECT_TRUE(selfChanging->isChecked());
        EXPECT_FALSE(selfChanging->isEnabled()) << "under Page length";
        QTest::mouseClick(pageText, Qt::LeftButton, {}, QPoint(6, pageText->height() / 2));
        EXPECT_TRUE(selfChanging->isEnabled());
        QTest::mouseClick(radio(FREQ_DAILY), Qt::LeftButton);
        QTest::mouseClick(okButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(m_dlg.choice());
    EXPECT_TRUE(m_dlg.choice()->rule.ignoreSelfChanging);
    EXPECT_FALSE(m_dlg.choice()->rule.isPageLength());
}

} // namespace
