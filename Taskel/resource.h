// Resource numbers of Taskel.dll and the launcher.
#pragma once

#define IDS_USAGE 101
#define IDS_APP_TITLE 57344
