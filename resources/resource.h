#pragma once
// Resource identifiers shared by Mevra.rc and the code.
#define IDI_MEVRA 1
