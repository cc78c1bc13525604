// Resource numbers of the runner's tray animations and titles. Each
// animation id is the full-colour one; the next even id holds the same
// animation in 16 colours.
#pragma once

#define IDA_COPY 201
#define IDA_DELETE 203
#define IDA_WORKING 205
#define IDA_MOVE 207
#define IDA_RENAME 209
#define IDA_PREPARE 211

#define IDS_COPYING 3005
#define IDS_DELETING 3008
#define IDS_MOVING 3013
#define IDS_PREPARE_COPY 3024
#define IDS_PREPARE_DELETE 3025
#define IDS_PREPARE_MOVE 3026
#define IDS_PREPARE_RENAME 3027
#define IDS_RENAMING 3041
