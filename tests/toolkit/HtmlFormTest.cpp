#include "toolkit/HtmlForm.h"

#include "platform/CodePage.h"
#include "platform/SysColor.h"
#include "tests/toolkit/DialogScript.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>

namespace {

class HtmlFormTest : public ::testing::Test {
protected:
    // Runs form on a form file holding html (none: the file set before).
    template <typename Script>
    int RunForm(CHtmlForm& form, const std::string& html, Script script) {
        if (!html.empty()) {
            m_host.Write("res/form.htm", html);
            form.SetFile("form.htm");
        }
        return RunDialog(m_seam, form, script);
    }

    TempHostFolder m_host;
    ScriptedInteraction m_seam;
};

COLORREF Colour(CDialog& dialog, int id, QPalette::ColorRole role = QPalette::WindowText) {
    return FromQColor(dialog.GetDlgItem(id)->palette().color(role));
}

int RedPixels(QWidget* widget) {
    const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto* pixels = reinterpret_cast<const QRgb*>(image.constBits());
    return int(std::count_if(pixels, pixels + image.width() * image.height(), [](QRgb c) {
        return qRed(c) > 180 && qGreen(c) < 80 && qBlue(c) < 80;
    }));
}

} // namespace

TEST_F(HtmlFormTest, EveryTagKindMakesItsRecordParametersReachTheirControlAndOkCopiesTexts) {
    CHtmlForm form;
    EXPECT_EQ(form.SetValue("E", "张三"), 0); // no window yet: parameters
    EXPECT_EQ(form.SetValue("Keyid", "12"), 0);
    EXPECT_EQ(form.Document().GetString(".", "E"), "张三");
    const std::string html =
        "<title>表单</title><span name=S>标签</span><input name=E value=v1 field=col>"
        "<input type=submit name=Ok value=确定><input type=reset value=取消><input type=button "
        "value=算><input type=checkbox name=C title=选中><input type=hidden name=H value=7>"
        "<input type=TEXT><textarea name=T>一\r\n二</textarea><select name=L><option>乙</option>"
        "<option value=v2>two</option><option></option><option value=\"\">甲</option></select>"
        "<span name=E>e</span>";
    const int result = RunForm(form, html, [](CHtmlForm& f) {
        EXPECT_EQ(f.GetWindowText(), "表单");
        const std::tuple<int, const char*, const char*> controls[] = {
            {8001, "QLabel", "标签"},      {8002, "QLineEdit", "张三"},
            {IDOK, "QPushButton", "确定"}, {8005, "QPushButton", "算"},
            {8006, "QCheckBox", "选中"},   {8009, "QPlainTextEdit", "一\r\n二"},
            {8011, "QLabel", "e"}};
        for (const auto& [id, kind, text] : controls) {
            ASSERT_TRUE(f.GetDlgItem(id) && f.GetDlgItem(id)->inherits(kind)) << id;
            EXPECT_EQ(GetControlText(f.GetDlgItem(id)), text) << id;
        }
        for (int id : {8003, 8004, 8007, 8008})
            EXPECT_EQ(f.GetDlgItem(id), nullptr) << id << " has no window of its own";
        EXPECT_EQ(f.FindControlId("E"), 8002) << "the first record of that exact name";
        EXPECT_EQ(f.FindControlId("e"), 0);
        auto* list = Item<QComboBox>(f, 8010);
        EXPECT_EQ(list->count(), 3) << "options listed unsorted, the empty one skipped";
        EXPECT_EQ(list->itemText(0) + list->itemText(1) + list->itemText(2), u"乙v2甲");
        SetControlText(f.GetDlgItem(8002), "typed");
        EXPECT_EQ(f.GetValue("E"), "typed");
        EXPECT_EQ(f.SetValue("L", "v2"), 1);
        Click(f, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    CIniFile& doc = form.Document();
    std::string records; // id and type of every record
    for (int id = 8001; id <= 8011; ++id)
        records += doc.GetString(std::to_string(id), "ControlId") + ":" +
                   doc.GetString(std::to_string(id), "ControlType") + " ";
    EXPECT_EQ(records, "8001: 8002:Edit 8003:Button 8004:Button 8005:Button 8006:CheckBox "
                       "8007:Edit 8008:Edit 8009: 8010:ComboBox 8011: ");
    EXPECT_EQ(doc.GetString("8002", "field"), "col");
    EXPECT_TRUE(doc.HasValue("8004", "Name")) << "an input records its name even when empty";
    EXPECT_EQ(doc.GetString(".", "Keyid"), "12");
    const std::pair<const char*, const char*> values[] = {
        {"E", "typed"},    {"Ok", ""},  {"H", ""},    {"C", "选中"},
        {"T", "一\r\n二"}, {"L", "v2"}, {"Keyid", ""}}; // window-less records get the empty text;
                                                        // parameters are not searched
    for (const auto& [name, value] : values)
        EXPECT_EQ(form.GetValue(name), value) << name;
    EXPECT_EQ(form.SetValue("E", "after"), 0) << "the records outlive the window";
    EXPECT_EQ(form.GetValue("E"), "after");
}

TEST_F(HtmlFormTest, LabelsAndCheckBoxesTakeTheColoursCurrentWhenTheyAreMade) {
    CHtmlForm form;
    RunForm(form,
            "<span>a</span><input type=checkbox title=before><body bgcolor=\"#102030\">"
            "<font color=\"#ff0000\"><input type=checkbox title=x><span>b</span></font>",
            [](CHtmlForm& f) {
                EXPECT_EQ(Colour(f, 8001), RGB(0, 0, 0));
                EXPECT_EQ(Colour(f, 8001, QPalette::Window), GetSysColor(COLOR_3DFACE));
                EXPECT_EQ(Colour(f, 8002), RGB(0, 0, 0));
                EXPECT_EQ(Colour(f, 8003), RGB(255, 0, 0));
                EXPECT_EQ(Colour(f, 8004), RGB(255, 0, 0));
                EXPECT_EQ(Colour(f, 8004, QPalette::Window), RGB(0x10, 0x20, 0x30));
                EXPECT_GT(RedPixels(f.GetDlgItem(8003)), 0) << "the caption x is drawn red";
                EXPECT_EQ(RedPixels(f.GetDlgItem(8002)), 0);
            });
}

TEST_F(HtmlFormTest, SizesRowsPicturesAndTheFinalWindow) {
    ASSERT_TRUE(
        m_host.Write("res/pic.gif", ReadFileBytes(NIMBREL_INSTALL_DATA "/images/item.gif")));
    CHtmlForm form;
    RunForm(form,
            "<input size=10 fixed=1><input fixed=1><input size=20 fixed=1><textarea rows=5>"
            "</textarea><br><br><textarea rows=5 fixed=1></textarea><br>"
            "<img src=pic.gif fixed=1><span>a</span><br><img src=gone.gif><span>b</span>",
            [](CHtmlForm& f) {
                for (const auto& [id, width] : {std::pair{8001, 80}, {8002, 80}, {8003, 160}})
                    EXPECT_EQ(f.GetDlgItem(id)->width(), width) << id;
                QWidget* tall = f.GetDlgItem(8004);
                EXPECT_EQ(tall->height(), 100);
                EXPECT_EQ(tall->x() + tall->width(), f.GetClientRect().Width());
                QWidget* fixed = f.GetDlgItem(8005);
                EXPECT_EQ(fixed->geometry(), QRect(2, 2 + 100 + 2 + 20 + 2, 100, 20))
                    << "two br leave an empty row of 20";
                auto* picture =
                    f.Widget()->findChild<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
                ASSERT_TRUE(picture && !picture->pixmap().isNull());
                EXPECT_EQ(picture->geometry(), QRect(2, fixed->y() + 100 + 2, 16, 16));
                EXPECT_EQ(f.GetDlgItem(8006), nullptr) << "a picture has no id of its own";
                EXPECT_EQ(f.GetDlgItem(8009)->y(), picture->y() + 16 + 2)
                    << "a row as high as the image";
                EXPECT_EQ(f.GetWindowRect().Width(), 500);
                EXPECT_EQ(f.GetWindowRect().Height(), 20 + 100 + 20 + 100 + 16 + 20 + 30);
                const int width = tall->width();
                f.Widget()->resize(f.Widget()->width() + 200, f.Widget()->height());
                ProcessEvents();
                EXPECT_EQ(tall->width(), width + 200);
                EXPECT_EQ(f.GetDlgItem(8001)->width(), 80);
            });
    EXPECT_EQ(form.Document().GetString("8006", "ControlType"), "Label");
    // A drive, a scheme or the root names the form file in full.
    for (const char* full : {"c:\\forms\\a.htm", "/forms/a.htm"}) {
        form.SetFile(full);
        EXPECT_EQ(form.FilePath(), full);
    }
}

// Which files give a picture at all is the picture loader's to test.
TEST_F(HtmlFormTest, PicturesComeOnlyFromRes) {
    const std::string gif = ReadFileBytes(NIMBREL_INSTALL_DATA "/images/item.gif");
    ASSERT_TRUE(m_host.Write("res/pic.gif", gif) && m_host.Write("images/pic.gif", gif));
    CHtmlForm form;
    RunForm(form,
            "<img src=pic.gif><img src=../images/pic.gif><img src=" + m_host.Path("res/pic.gif") +
                ">",
            [](CHtmlForm& f) {
                int shown = 0;
                for (auto* picture : f.Widget()->findChildren<QLabel*>())
                    shown += picture->pixmap().isNull() ? 0 : 1;
                EXPECT_EQ(shown, 1);
                EXPECT_EQ(f.GetWindowRect().Height(), 20 + 16 + 30)
                    << "only the picture of res/ sets the row height";
            });
}

TEST_F(HtmlFormTest, MissingAndHostileFormFilesBuildWithoutCrashOrHang) {
    CHtmlForm missing;
    missing.SetFile("nothing.htm");
    RunForm(missing, "", [](CHtmlForm& f) {
        EXPECT_EQ(f.GetWindowRect().Width(), 500);
        EXPECT_EQ(f.GetWindowRect().Height(), 70);
        EXPECT_TRUE(f.Widget()->findChildren<QWidget*>().isEmpty());
    });
    std::string nested, spans;
    for (int i = 0; i < 1000; ++i)
        nested = "<select><option>o</option>" + nested + "</select>";
    for (int i = 0; i < 20000; ++i)
        spans += "<span>";
    const std::string files[] = {
        "<img src=" + std::string(1 << 20, 'p') + ">",
        "<title>\x81\xff\xfe</title><span name=\xff\x80>\x80\x81</span><input value=\xfe>",
        "<input size=99999999999><textarea rows=-5></textarea><textarea rows=4000000000>", nested,
        spans};
    for (const std::string& html : files) {
        CHtmlForm form;
        RunForm(form, html, [](CHtmlForm& f) {
            EXPECT_EQ(f.GetWindowRect().Width(), 500);
            EXPECT_LE(f.Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(),
                      CHtmlForm::kMaxControls);
        });
    }
}
