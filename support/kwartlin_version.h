/* The plugin's version and the texts that name its makers: the one source for the
 * information record, the Windows version resources (kwartlin.rc, and kwartlin-sim.rc
 * of the simulator that ships with the module) and the version block that the Linux
 * module carries in its ".kwversion" section. Plain preprocessor
 * definitions and C comments only, so the resource compiler can read it too. The
 * strings are ASCII: they pass unchanged through the resource compiler, the
 * Windows-1250 information record and the UTF-16 version block alike. */
#ifndef KWARTLIN_VERSION_H
#define KWARTLIN_VERSION_H

/* The four parts of the file and product version, most significant first. */
#define KW_VERSION_MAJOR 0
#define KW_VERSION_MINOR 9
#define KW_VERSION_RELEASE 6
#define KW_VERSION_BUILD 2
#define KW_VERSION_TEXT "0.9.6.2"

/* The fixed info's flags mask (VS_FFI_FILEFLAGSMASK), target system (VOS__WINDOWS32)
 * and file type (VFT_DLL). */
#define KW_VERSION_FLAGS_MASK 0x3F
#define KW_VERSION_FILE_OS 0x4
#define KW_VERSION_FILE_TYPE 0x2

/* The first (and only) translation of the version resource: Polish, Windows-1250. */
#define KW_VERSION_LANGUAGE 0x0415
#define KW_VERSION_CODEPAGE 1250
#define KW_VERSION_STRING_TABLE "041504E2"

/* String values of the version resource. */
#define KW_COMPANY_NAME "Kwartlin Project"
#define KW_FILE_DESCRIPTION "Kwartlin - scripted message steering for the Tlen messenger"
#define KW_PRODUCT_NAME "Kwartlin"
#define KW_INTERNAL_NAME "kwartlin"
#define KW_ORIGINAL_FILENAME "kwartlin.tpl"
#define KW_LEGAL_COPYRIGHT "Copyright (C) Kwartlin Project. Freeware."
#define KW_AUTHOR "Kwartlin Project <kwartlin@example.org>"

/* The simulator's own: a program (VFT_APP) with its names. */
#define KW_SIM_FILE_TYPE 0x1
#define KW_SIM_FILE_DESCRIPTION "Kwartlin simulator - the Tlen messenger for testing Kwartlin scripts"
#define KW_SIM_INTERNAL_NAME "kwartlin-sim"
#define KW_SIM_ORIGINAL_FILENAME "kwartlin-sim.exe"

/* Lines of the information record that name the makers. */
#define KW_NOTICE KW_LEGAL_COPYRIGHT
#define KW_EMAIL "kwartlin@example.org"
#define KW_WEB_ADDRESS "https://example.org/kwartlin"

#endif /* KWARTLIN_VERSION_H */
