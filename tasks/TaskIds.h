#pragma once
// Control and command ids of the publishing task screens, shared with their
// tests. The editor and the list number their ids each from 6001, so the
// same number means different things in the two.
namespace tasks {

// The task editor.
namespace editor {
constexpr int kImportButton = 6004;
constexpr int kExportButton = 6005;
constexpr int kSaveButton = 6006;
constexpr int kPublishButton = 6007;
constexpr int kContentEdit = 6009;
constexpr int kCommentEdit = 6010;
constexpr int kUserNameEdit = 6011;
constexpr int kProduceEdit = 6012;
constexpr int kQuantityEdit = 6013;
constexpr int kModelEdit = 6014;
constexpr int kPriceEdit = 6015;
constexpr int kTitleEdit = 6016;
constexpr int kCounterLabel = 6017;
constexpr int kUnitNameEdit = 6018;
} // namespace editor

// The task list.
namespace list {
constexpr int kAddCategory = 6001;
constexpr int kCategoryMenu = 6002;
constexpr int kRenameCategory = 6003;
constexpr int kDeleteCategory = 6004;
constexpr int kAddTask = 6006;
constexpr int kEditTask = 6007;
constexpr int kDeleteTasks = 6008;
constexpr int kCopyTask = 6009;
constexpr int kPublishTask = 6011;
constexpr int kCategoryTree = 6014;
constexpr int kTaskGrid = 8001;
} // namespace list

} // namespace tasks
