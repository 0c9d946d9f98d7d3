# The Debian package (scripts/package.sh): CPack's DEB generator over the install rules of app/,
# with the library dependencies computed by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillory)
set(CPACK_PACKAGE_VENDOR Quillory)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillory <info@quillory.cz>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write routine e-mails from reusable pieces of text")
# The extended description; CPack puts the summary above it and indents every line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillory composes routine e-mails out of reusable pieces: salutations,
farewells, signatures, subjects and sender addresses in drop-down lists, and
eight free text blocks. The text is copied to the clipboard, saved as a text
file or sent through an SMTP server (STARTTLS or TLS). The program speaks
Czech.")
set(CPACK_DEBIAN_PACKAGE_SECTION mail)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.quillory.cz")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window system plugins of Qt are not among the linked libraries; the Czech catalogue of Qt's
# own dialogs, the trusted certificates for TLS and the Czech dictionary of the spell checking are
# wanted, not needed.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, ca-certificates, hunspell-cs")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
