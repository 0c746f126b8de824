#pragma once
// Control ids of the company profile screen, shared with its tests.
namespace company {

constexpr int kNameEdit = 6001;
constexpr int kUserNameEdit = 6002;
constexpr int kUserPassEdit = 6003;
constexpr int kContactEdit = 6004;
constexpr int kAddressEdit = 6005;
constexpr int kPostCodeEdit = 6006;
constexpr int kHomepageEdit = 6007;
constexpr int kEmailEdit = 6008;
constexpr int kXingzhiList = 6009;
constexpr int kMoshiList = 6010;
constexpr int kZijinEdit = 6011;
constexpr int kYuangongEdit = 6012;
constexpr int kAreaEdit = 6013;
constexpr int kPhoneEdit = 6014;
constexpr int kFaxEdit = 6015;
constexpr int kMobileEdit = 6016;
constexpr int kProvinceEdit = 6017;
constexpr int kCityEdit = 6018;
constexpr int kTradeEdit = 6019;
constexpr int kCounterLabel = 6020;
constexpr int kBusinessEdit = 6021;
constexpr int kAbstractEdit = 6022;
constexpr int kSaveButton = 8001;

} // namespace company
