#pragma once
// Command and control ids of the site directory, and the columns of its grid,
// shared by the screen and its tests.

namespace SiteIds {

// Toolbar buttons and the commands they send (also posted by the grid's
// double click and context menu).
constexpr int kEdit = 6001;
constexpr int kChoose = 6002;
constexpr int kInvert = 6003;
constexpr int kQuery = 6004;
constexpr int kVisit = 6005;
constexpr int kRegister = 6006;
constexpr int kRestart = 6007;
constexpr int kExport = 6008;

constexpr int kGrid = 6010;

// Grid columns: the key, the choice marker ("√" or a blank), then the
// fields as the binding declares them; IsSelected last, as the last fill read it.
constexpr int kKeyColumn = 0;
constexpr int kMarkerColumn = 1;
constexpr int kNameColumn = 2;
constexpr int kScoreColumn = 3;
constexpr int kUserNameColumn = 4;
constexpr int kRegisterStatusColumn = 5;
constexpr int kHomepageColumn = 6;
constexpr int kIsSelectedColumn = 7;

} // namespace SiteIds
