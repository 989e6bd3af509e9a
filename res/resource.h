// The ids of Mirale's resources and of the main dialog's controls, named once
// for res/mirale.rc and the code alike. Plain #defines only: windres reads this
// file, and the portable engine takes its tag choice ids from it.
#ifndef MIRALE_RES_RESOURCE_H
#define MIRALE_RES_RESOURCE_H

// Resources.
#define IDD_MAIN_DIALOG 101
#define IDI_APP_ICON 102

// Controls of the main dialog: the tag boxes and their fields, ...
#define IDC_ARTIST_FIELD 1003
#define IDC_ALBUM_BOX 1004
#define IDC_ARTIST_BOX 1005
#define IDC_ALBUM_FIELD 1006
#define IDC_DATE_BOX 1007
#define IDC_DATE_FIELD 1008
#define IDC_GENRE_BOX 1009
#define IDC_GENRE_FIELD 1010
#define IDC_LABEL_BOX 1011
#define IDC_LABEL_FIELD 1012
#define IDC_ARTIST_FROM_NAME_BOX 1013
#define IDC_TITLE_FROM_NAME_BOX 1014
#define IDC_TRACK_FROM_ORDER_BOX 1015
#define IDC_COMMENT_FIELD 1018
#define IDC_COMMENT_BOX 1019
#define IDC_TRACK_FROM_NAME_BOX 1022
// ... and the rest: the list's place, "Retag !", the file-name group and its help.
#define IDC_TRACE_PLACEHOLDER 1016
#define IDC_RETAG_BUTTON 1017
#define IDC_FILE_NAME_GROUP 1020
#define IDC_FILE_NAME_HELP 1021

// The range of the control ids above, for tables indexed by id.
#define IDC_FIRST_CONTROL 1003
#define IDC_LAST_CONTROL 1022

#endif  // MIRALE_RES_RESOURCE_H
