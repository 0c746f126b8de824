#pragma once
// A modal dialog whose controls come from a form file: a small subset of HTML
// turned, tag by tag and row by row, into labels, edit boxes, text areas,
// drop-down lists, check boxes, pictures and buttons. Each control gets a
// record in the form document (section = its id in decimal: ControlId,
// ControlType, Name, Value, field), through which callers set and read values
// by name. Values stored under a name that no control carries are parameters
// in section ".". The document lives as long as the object, so values are
// read after DoModal returns.
//
//     CSiteEditDialog dlg;                 // derived from CHtmlForm
//     dlg.InitModal(this);
//     dlg.SetValue("Keyid", key);          // no window yet: a parameter
//     if (dlg.DoModal() == IDOK)
//         name = dlg.GetValue("UserName");
//
// A derived dialog overrides OnInitDialog, calls this class's first (which
// builds the form and applies the parameters) and then works on the controls.
#include "platform/Types.h"
#include "settings/IniFile.h"
#include "toolkit/LayoutDialog.h"

#include <cstddef>
#include <string>

class CHtmlScanner;

class CHtmlForm : public CLayoutDialog {
public:
    static constexpr int kFirstControlId = 8001;
    static constexpr int kFormWidth = 500;
    // A form file asking for more controls than any dialog can show is cut
    // there: the tags after the last control it may make are ignored.
    static constexpr int kMaxControls = 4096;
    // The parameters' section of the form document.
    static constexpr char kParameters[] = ".";

    CHtmlForm();
    ~CHtmlForm() override;

    // A name with no ":" after its first character (no drive or scheme part)
    // is taken in the host folder's res/ folder; so is one without a leading
    // "/", which on this system starts a full path.
    void SetFile(const std::string& file);
    const std::string& FilePath() const { return m_filePath; }

    // The id of the first record, in record order, whose Name is exactly name;
    // 0 when there is none.
    int FindControlId(const std::string& name);
    // Stores the value in the named control's record and, while the window
    // exists, shows it in the control: 1 then, 0 before the window exists.
    // A name no control carries becomes a parameter (0).
    int SetValue(const std::string& name, const std::string& value);
    // The named control's value, taken from the control while the window
    // exists; empty when no control carries the name (parameters are not
    // searched: read them from Document() in section ".").
    std::string GetValue(const std::string& name);

    CIniFile& Document() { return m_document; }
    // The colour the form is painted in: the 3D face colour unless the form
    // file's body gives its own.
    COLORREF FormBackColor() const { return m_formBackColor; }

protected:
    // The controls of the form file, tag by tag; its title and the height
    // its rows need give the caption and the opening size.
    void BuildRows(CRowLayout& layout) override;
    // Opens the form, then applies the parameters.
    bool OnInitDialog() override;
    // Copies every control's text into its record and ends with IDOK.
    void OnOK() override;

private:
    struct BuildState;

    void ApplyParameters();
    void AddTag(CHtmlScanner& scanner, std::size_t pos, BuildState& state);
    void AddSpan(CHtmlScanner& scanner, std::size_t pos, BuildState& state);
    void AddPicture(CHtmlScanner& scanner, std::size_t pos, BuildState& state);
    void AddInput(CHtmlScanner& scanner, std::size_t pos, BuildState& state);
    void AddTextArea(CHtmlScanner& scanner, std::size_t pos, BuildState& state);
    void AddSelect(CHtmlScanner& scanner, std::size_t pos, BuildState& state);
    void AddCheckBox(CRowLayout::Row* row, const std::string& caption, int id, int width, int flags,
                     const BuildState& state);
    std::string Record(int id) const;
    // The section of the first record named name; empty when there is none.
    std::string FindRecord(const std::string& name);

    std::string m_filePath;
    CIniFile m_document;
    COLORREF m_formBackColor = 0;
};
