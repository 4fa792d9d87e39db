#pragma once

namespace vorlane::records {

// Box titles and texts the records windows share.
inline constexpr const char *kErrorTitle = "Vorlane Error Information";
inline constexpr const char *kAlertTitle = "Alert";
inline constexpr const char *kReconfirm = "Reconfirm Password";
inline constexpr const char *kLoginBlank = "Login cannot be left blank";
inline constexpr const char *kPasswordBlank = "Password cannot be left blank";
inline constexpr const char *kSaveOrCancel = "Save or Cancel changes to continue...";
inline constexpr const char *kDeleteQuestion = "Do you realy want to delete the member";

} // namespace vorlane::records
