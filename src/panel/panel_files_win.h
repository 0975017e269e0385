// The system half of the panel's Windows seam: folders, the embedded loader, files, the tick count.
#pragma once

#include <stddef.h>
#include <stdint.h>

int PanelLocalAppDataWin(wchar_t* out, int capacity);
void PanelCreateFolderTreeWin(const wchar_t* path);
int PanelLoaderResourceWin(const void** data, uint32_t* size);
int64_t PanelFileSizeWin(const wchar_t* path);
int PanelWriteNewFileWin(const wchar_t* path, const void* data, uint32_t size);
void PanelEmptyFolderWin(const wchar_t* folder);
int PanelCopyFileWin(const wchar_t* from, const wchar_t* to);
uint32_t PanelTickCountWin();
void* PanelAllocateZeroedWin(size_t bytes);
void PanelFreeMemoryWin(void* memory);
