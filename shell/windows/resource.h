// Resource ids shared by blockdrop.rc and the code.
#pragma once

#define IDI_BLOCKDROP 1
