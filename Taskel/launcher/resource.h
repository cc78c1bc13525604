// Resource numbers of the launchers ZELK.EXE and ZELKadmin.EXE.
#pragma once

#define IDS_USAGE 101
#define IDS_APP_TITLE 57344
