// Numbers shared by the dialog templates, the string table and the code.
// Text numbers and control numbers share the language table's key space
// ("ID" + number), so a control and a text with the same number are
// translated by the same key.
#pragma once

// Dialog templates
#define IDD_ABOUT 300
#define IDD_WELCOME 301
#define IDD_LICENCE 302
#define IDD_GUIDE 303
#define IDD_DESTINATION 304
#define IDD_PROGRESS 305
#define IDD_RESULTS 306
#define IDD_FINISH 307

// Icon and system-menu command
#define IDI_APPLIER 310
#define IDM_ABOUT 330

// Texts: file names (read directly, never translated)
#define IDS_FILE_UPDATE_INI 100
#define IDS_FILE_LANGUAGE_INI 101
#define IDS_FILE_README 110
#define IDS_FILE_GUIDE 111
#define IDS_FILE_LICENSE 112
#define IDS_FILE_PATCH_DAT 113
#define IDS_FILE_LOG 114
#define IDS_FILE_PACKAGE_BMP 120
#define IDS_FILE_SPLASH_BMP 121

// Texts: messages
#define IDS_CAPTION 200
#define IDS_CONFIRM_QUIT 201
#define IDS_WRONG_DIRECTORY 202
#define IDS_TITLE_FORMAT 203
#define IDS_ASK_OVERWRITE 204
#define IDS_ASK_EXTERNAL_COMMAND 205
#define IDS_DATA_ERROR 206
#define IDS_MAIN_FILE_FAILED 207
#define IDS_CANCELLED 208
#define IDS_ABOUT_MENU 210
#define IDS_BROWSE_TITLE 217
#define IDS_SUMMARY_SKIPPED 218
#define IDS_TARGET_RUNNING 219

// Texts: log outcomes
#define IDS_LOG_FILE_UPDATED 250
#define IDS_LOG_ATTACHED_ADDED 251
#define IDS_LOG_ATTACHED_OVERWRITTEN 252
#define IDS_LOG_ATTACHED_SKIPPED 253
#define IDS_LOG_ATTACHED_CRC_ERROR 254
#define IDS_LOG_ORIGINAL_MISSING 255
#define IDS_LOG_ORIGINAL_CRC_ERROR 256
#define IDS_LOG_UPDATED_CRC_ERROR 257
#define IDS_LOG_DATA_ERROR 258
#define IDS_LOG_ALREADY_UPDATED 259
#define IDS_LOG_ACCESS_DENIED 260

// Texts: captions (each page's caption text has the page's dialog number)
#define IDS_ABOUT_CAPTION 300
#define IDS_WELCOME_CAPTION 301
#define IDS_LICENCE_CAPTION 302
#define IDS_GUIDE_CAPTION 303
#define IDS_DESTINATION_CAPTION 304
#define IDS_RESULTS_CAPTION 306
#define IDS_FINISH_CAPTION 307

// About box (300)
#define IDC_ABOUT_ICON 310
#define IDT_ABOUT_PRODUCT 350
#define IDT_ABOUT_VERSION 351
#define IDT_ABOUT_COPYRIGHT 352
#define IDT_ABOUT_NOTE 353
#define IDT_ABOUT_TRANSLATION 354

// Welcome page (301)
#define IDT_WELCOME_TEXT 355
#define IDT_WELCOME_ADVICE 356
#define IDT_WELCOME_EXTRA1 357
#define IDT_WELCOME_EXTRA2 358

// Licence page (302)
#define IDT_LICENCE_INTRO 359
#define IDX_LICENCE_ACCEPT 502
#define IDE_LICENCE_TEXT 530

// Guide page (303)
#define IDT_GUIDE_INTRO 360
#define IDE_GUIDE_TEXT 532

// Destination page (304)
#define IDT_DESTINATION_INTRO 361
#define IDT_DESTINATION_WARNING 362
#define IDB_BROWSE 451
#define IDX_BACKUP 503
#define IDE_FOLDER 531

// Progress dialog (305)
#define IDT_PROGRESS_PROCESSING 363
#define IDT_PROGRESS_STATUS 368
#define IDC_PROGRESS_BAR 550

// Results page (306)
#define IDT_RESULTS_INTRO 364
#define IDE_RESULTS_LOG 533

// Finish page (307)
#define IDT_FINISH_TEXT 365
#define IDT_FINISH_CLICK 366
#define IDX_VIEW_README 500
#define IDX_LAUNCH_MAIN 501

// Every page but the Licence page
#define IDC_SIDE_PANEL 570
