#include "toolkit/HtmlForm.h"

#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/SysColor.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>

namespace {

class HtmlFormTest : public ::testing::Test {
protected:
    // Runs form on a form file holding html (none: the file set before); the
    // script gets the live dialog, which is cancelled unless the script ends it.
    int RunForm(CHtmlForm& form, const std::string& html,
                const std::function<void(CHtmlForm&)>& script) {
        if (!html.empty()) {
            m_host.Write("res/form.htm", html);
            form.SetFile("form.htm");
        }
        m_seam.ExpectDialog([&](CDialog& d) {
            script(static_cast<CHtmlForm&>(d));
            if (!d.IsEnded())
                d.SendCommand(IDCANCEL);
        });
        return form.DoModal();
    }

    TempHostFolder m_host;
    ScriptedInteraction m_seam;
};

template <typename T> T* Item(CDialog& dialog, int id) {
    return qobject_cast<T*>(dialog.GetDlgItem(id));
}

COLORREF TextColour(CDialog& dialog, int id) {
    return FromQColor(dialog.GetDlgItem(id)->palette().color(QPalette::WindowText));
}

int RedPixels(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += (c.red() > 180 && c.green() < 80 && c.blue() < 80) ? 1 : 0;
        }
    return count;
}

} // namespace

TEST_F(HtmlFormTest, EveryTagKindMakesItsRecordAndOkCopiesTheControlsTexts) {
    CHtmlForm form;
    const std::string html =
        "<title>表单</title><span name=S>标签</span><input name=E value=v1 field=col>"
        "<input type=submit name=Ok value=确定><input type=reset value=取消><input type=button "
        "value=算>"
        "<input type=checkbox name=C title=选中><input type=hidden name=H value=7><input type=TEXT>"
        "<textarea name=T>一\r\n二</textarea><select name=L><option>乙</option>"
        "<option value=v2>two</option><option></option><option value=\"\">甲</option></select>";
    const int result = RunForm(form, html, [](CHtmlForm& f) {
        EXPECT_EQ(f.GetWindowText(), "表单");
        EXPECT_EQ(GetControlText(Item<QLabel>(f, 8001)), "标签");
        EXPECT_EQ(GetControlText(Item<QLineEdit>(f, 8002)), "v1");
        EXPECT_EQ(GetControlText(Item<QPushButton>(f, IDOK)), "确定");
        EXPECT_EQ(GetControlText(Item<QPushButton>(f, 8005)), "算");
        EXPECT_EQ(GetControlText(Item<QCheckBox>(f, 8006)), "选中");
        for (int id : {8003, 8004, 8007, 8008})
            EXPECT_EQ(f.GetDlgItem(id), nullptr) << id << " has no window of its own";
        auto* list = Item<QComboBox>(f, 8010);
        ASSERT_NE(list, nullptr);
        EXPECT_FALSE(list->isEditable());
        ASSERT_EQ(list->count(), 3) << "options listed unsorted, the empty one skipped";
        EXPECT_EQ(list->itemText(0) + list->itemText(1) + list->itemText(2),
                  QStringLiteral(u"乙v2甲"));

        SetControlText(f.GetDlgItem(8002), "typed");
        EXPECT_EQ(f.SetValue("L", "v2"), 1);
        Item<QPushButton>(f, IDOK)->click();
    });
    EXPECT_EQ(result, IDOK);
    CIniFile& doc = form.Document();
    const char* types[] = {"",         "Edit", "Button", "Button", "Button",
                           "CheckBox", "Edit", "Edit",   "",       "ComboBox"};
    for (int i = 0; i < 10; ++i) {
        const std::string record = std::to_string(8001 + i);
        EXPECT_EQ(doc.GetInt(record, "ControlId"), 8001 + i);
        EXPECT_EQ(doc.GetString(record, "ControlType"), types[i]) << record;
    }
    EXPECT_EQ(doc.GetString("8002", "field"), "col");
    EXPECT_TRUE(doc.HasValue("8004", "Name")) << "an input records its name even when empty";
    EXPECT_EQ(form.GetValue("E"), "typed");
    EXPECT_EQ(form.GetValue("Ok"), "") << "the button's window carries id 1, not its record's";
    EXPECT_EQ(form.GetValue("H"), "");
    EXPECT_EQ(form.GetValue("C"), "选中");
    EXPECT_EQ(form.GetValue("T"), "一\r\n二");
    EXPECT_EQ(form.GetValue("L"), "v2");
}

TEST_F(HtmlFormTest, FindControlIdGivesTheFirstRecordWithExactlyThatName) {
    CHtmlForm form;
    form.SetValue("Name", "A"); // a parameter called Name is no control's name
    RunForm(form, "<input name=A><span name=A>A</span><span>b</span>", [](CHtmlForm& f) {
        EXPECT_EQ(f.FindControlId("A"), 8001);
        EXPECT_EQ(f.FindControlId("a"), 0);
        EXPECT_EQ(f.FindControlId(""), 0) << "a span without a name has none";
    });
    EXPECT_EQ(form.FindControlId("A"), 8001) << "records outlive the window";
}

TEST_F(HtmlFormTest, ValuesSetBeforeTheWindowWaitAsParametersAndReachTheirControls) {
    CHtmlForm form;
    EXPECT_EQ(form.SetValue("UserName", "张三"), 0);
    EXPECT_EQ(form.SetValue("Keyid", "12"), 0);
    EXPECT_EQ(form.Document().GetString(".", "UserName"), "张三");
    EXPECT_EQ(form.GetValue("UserName"), "") << "parameters are not searched";

    RunForm(form, "<input name=UserName value=x><input name=Other value=y>", [](CHtmlForm& f) {
        EXPECT_EQ(f.GetDlgItemText(8001), "张三");
        EXPECT_EQ(f.Document().GetString("8001", "Value"), "张三");
        EXPECT_EQ(f.SetValue("Other", "z"), 1);
        EXPECT_EQ(f.GetDlgItemText(8002), "z");
        SetControlText(f.GetDlgItem(8001), "李四");
        EXPECT_EQ(f.GetValue("UserName"), "李四");
    });
    EXPECT_EQ(form.GetValue("UserName"), "李四");
    EXPECT_EQ(form.Document().GetString(".", "Keyid"), "12");
    EXPECT_EQ(form.SetValue("Other", "after"), 0) << "no window any more";
    EXPECT_EQ(form.GetValue("Other"), "after");
}

TEST_F(HtmlFormTest, LabelsAndCheckBoxesTakeTheColoursCurrentWhenTheyAreMade) {
    CHtmlForm form;
    RunForm(form,
            "<span>a</span><input type=checkbox title=before><body bgcolor=\"#102030\">"
            "<font color=\"#ff0000\"><input type=checkbox title=x><span>b</span></font>"
            "<font color=red><span>c</span>",
            [](CHtmlForm& f) {
                EXPECT_EQ(TextColour(f, 8001), RGB(0, 0, 0));
                EXPECT_EQ(FromQColor(f.GetDlgItem(8001)->palette().color(QPalette::Window)),
                          GetSysColor(COLOR_3DFACE));
                EXPECT_EQ(TextColour(f, 8002), RGB(0, 0, 0));
                EXPECT_EQ(TextColour(f, 8003), RGB(255, 0, 0));
                EXPECT_EQ(FromQColor(f.GetDlgItem(8004)->palette().color(QPalette::Window)),
                          RGB(0x10, 0x20, 0x30));
                EXPECT_EQ(TextColour(f, 8005), RGB(255, 0, 0)) << "no #rrggbb keeps the colour";
                EXPECT_GT(RedPixels(f.GetDlgItem(8003)), 0) << "the caption x is drawn red";
                EXPECT_EQ(RedPixels(f.GetDlgItem(8002)), 0);
            });
    EXPECT_EQ(form.FormBackColor(), RGB(0x10, 0x20, 0x30));
}

TEST_F(HtmlFormTest, SizesRowsAndTheFinalWindow) {
    CHtmlForm form;
    RunForm(form,
            "<input size=10 fixed=1><input fixed=1><input size=20 fixed=1><textarea rows=5>"
            "</textarea><br><br><textarea rows=5 fixed=1></textarea>",
            [](CHtmlForm& f) {
                EXPECT_EQ(f.GetDlgItem(8001)->width(), 80);
                EXPECT_EQ(f.GetDlgItem(8002)->width(), 80);
                EXPECT_EQ(f.GetDlgItem(8003)->width(), 160);
                QWidget* tall = f.GetDlgItem(8004);
                EXPECT_EQ(tall->height(), 100);
                EXPECT_EQ(tall->x() + tall->width(), f.GetClientRect().Width());
                QWidget* fixed = f.GetDlgItem(8005);
                EXPECT_EQ(fixed->size(), QSize(100, 20));
                EXPECT_EQ(fixed->y(), 2 + 100 + 2 + 20 + 2) << "two br leave an empty row of 20";
                EXPECT_EQ(f.GetWindowRect().Width(), 500);
                EXPECT_EQ(f.GetWindowRect().Height(), 20 + 100 + 20 + 100 + 30);

                const int width = tall->width();
                f.Widget()->resize(f.Widget()->width() + 200, f.Widget()->height());
                ProcessEvents();
                EXPECT_EQ(tall->width(), width + 200);
                EXPECT_EQ(f.GetDlgItem(8001)->width(), 80);
            });
}

TEST_F(HtmlFormTest, PicturesComeFromTheResFolderSizedToTheirImage) {
    ASSERT_TRUE(
        m_host.Write("res/pic.gif", ReadFileBytes(NIMBREL_INSTALL_DATA "/images/item.gif")));
    CHtmlForm form;
    RunForm(form, "<img src=pic.gif fixed=1><span>a</span><br><img src=gone.gif><span>b</span>",
            [](CHtmlForm& f) {
                auto* picture =
                    f.Widget()->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
                ASSERT_NE(picture, nullptr);
                EXPECT_EQ(ControlId(picture), 0) << "a picture has no id of its own";
                EXPECT_EQ(picture->size(), QSize(16, 16));
                EXPECT_FALSE(picture->pixmap().isNull());
                EXPECT_EQ(f.GetDlgItem(8004)->y(), 2 + 16 + 2) << "the row is as high as the image";
            });
    EXPECT_EQ(form.Document().GetString("8001", "ControlType"), "Label");
    form.SetFile("c:\\forms\\a.htm");
    EXPECT_EQ(form.FilePath(), "c:\\forms\\a.htm");
}

TEST_F(HtmlFormTest, MissingHostileAndOverlongFormFilesBuildWithoutCrashOrHang) {
    CHtmlForm missing;
    missing.SetFile("nothing.htm");
    RunForm(missing, "", [](CHtmlForm& f) {
        EXPECT_EQ(f.GetWindowRect().Width(), 500);
        EXPECT_EQ(f.GetWindowRect().Height(), 70);
        EXPECT_TRUE(f.Widget()->findChildren<QWidget*>().isEmpty());
    });

    const std::string longText(3000, 'q');
    CHtmlForm overlong;
    RunForm(overlong,
            "<input value=\"" + longText + "\"><input value=" + longText + " ><span>" + longText +
                "</span>",
            [](CHtmlForm& f) {
                EXPECT_EQ(f.GetDlgItemText(8001).size(), 1022u);
                EXPECT_EQ(f.GetDlgItemText(8002).size(), 1023u);
                EXPECT_EQ(f.GetDlgItemText(8003).size(), 1023u);
            });

    std::string nested, spans;
    for (int i = 0; i < 1000; ++i)
        nested += "<select><option>o" + std::to_string(i) + "</option>";
    for (int i = 0; i < 1000; ++i)
        nested += "</select>";
    for (int i = 0; i < 20000; ++i)
        spans += "<span>";
    const std::vector<std::string> files = {
        "<input name=\"A value=1><span>x</span>",
        "<span>a</span><input name=B value=2",
        "<input value=\"" + std::string(1 << 20, 'v') + "\"><img src=" + std::string(1 << 20, 'p') +
            ">",
        std::string(100000, '<'),
        "<title>\x81\xff\xfe</title><span name=\xff\x80>\x80\x81</span><input value=\xfe>",
        "<input size=99999999999><textarea rows=-5></textarea><textarea "
        "rows=4000000000></textarea>",
    };
    for (const std::string& html : files) {
        CHtmlForm form;
        RunForm(form, html, [](CHtmlForm& f) { EXPECT_EQ(f.GetWindowRect().Width(), 500); });
    }
    CHtmlForm nestedForm;
    RunForm(nestedForm, nested, [](CHtmlForm& f) {
        EXPECT_EQ(f.Widget()->findChildren<QComboBox*>().size(), 1000);
        EXPECT_EQ(Item<QComboBox>(f, 8001 + 999)->itemText(0), QStringLiteral("o999"));
    });
    CHtmlForm flooded;
    RunForm(flooded, spans, [](CHtmlForm& f) {
        EXPECT_EQ(f.Widget()->findChildren<QLabel*>().size(), CHtmlForm::kMaxControls);
    });
    CHtmlForm nul;
    RunForm(nul, std::string("<input name=A>\0<input name=B>", 29),
            [](CHtmlForm& f) { EXPECT_EQ(f.FindControlId("B"), 0) << "the text ends at NUL"; });
}

TEST_F(HtmlFormTest, OurSiteEditorFormDeclaresTheSixFieldsAndBothButtons) {
    CHtmlForm form;
    form.SetFile(NIMBREL_INSTALL_DATA "/res/SiteEditDlg.htm");
    RunForm(form, "", [](CHtmlForm& f) {
        for (const char* name : {"Keyid", "Name", "Homepage", "UserName", "UserPass", "Comment"}) {
            QWidget* control = f.GetDlgItem(f.FindControlId(name));
            ASSERT_NE(control, nullptr) << name;
            EXPECT_TRUE(qobject_cast<QLineEdit*>(control) || qobject_cast<QPlainTextEdit*>(control))
                << name;
            f.SetValue(name, name);
        }
        ASSERT_NE(Item<QPushButton>(f, IDCANCEL), nullptr);
        for (QWidget* child : f.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            EXPECT_LE(child->geometry().bottom(), f.GetClientRect().Height()) << "fits the dialog";
        Item<QPushButton>(f, IDOK)->click();
    });
    EXPECT_EQ(form.GetValue("UserPass"), "UserPass");
    EXPECT_EQ(form.GetValue("Comment"), "Comment");
}
