#pragma once

namespace quillory {

// The application title: caption of the error and plain message boxes.
inline constexpr const char* kApplicationTitle = "Quillory";
inline constexpr const char* kMainWindowCaption = "Quillory 1.01 FREE";
inline constexpr const char* kVersion = "1.01";
// The reverse-DNS application id: the name of the desktop entry, the icon and the metainfo file.
inline constexpr const char* kApplicationId = "cz.quillory.Quillory";

// The program's web site and the pages on it.
inline constexpr const char* kWebSiteHost = "www.quillory.cz";
inline constexpr const char* kWebSiteAddress = "http://www.quillory.cz";  // the site's root, no trailing "/"
inline constexpr const char* kFooterSiteAddress = "http://www.quillory.cz/";  // as it ends the closing footer
inline constexpr const char* kUpdatePageAddress = "http://www.quillory.cz/update.php";
inline constexpr const char* kFullVersionAddress = "http://www.quillory.cz/sms/";
inline constexpr const char* kHelpPageAddress = "http://help.quillory.cz/quillory/help-mini.html";

}  // namespace quillory
