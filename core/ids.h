/* Resource and command identifiers of the slot machine, shared by the
   resource script, the C++ sources and the web page (through texts()). Plain
   #defines so windres reads them. */
#ifndef MUSLOT_CORE_IDS_H
#define MUSLOT_CORE_IDS_H

/* Bitmaps: the machine's face, the figure strip, the two lamps and the
   congratulations picture. */
#define IDB_PANEL       104
#define IDB_STRIP       105
#define IDB_LAMP_RUN    106
#define IDB_LAMP_STOP   107
#define IDB_CONGRATS    108

/* Icons */
#define IDI_MUSLOT      101

/* Menus: one popup per language, shown as the context menu */
#define IDM_CONTEXT     103

/* Dialogs */
#define IDD_ABOUT       102

/* Dialog controls */
#define IDC_CREDIT      1001

/* Commands of the context menu */
#define ID_ABOUT        40002
#define ID_EXIT         40003

/* Version resource */
#define ID_VERSION      1

#endif
