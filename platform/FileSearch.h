#pragma once

// Lists the files matching a wildcard pattern such as "Textures\*.raw": the
// directory part names the folder (backslashes allowed), the last part is a
// shell wildcard matched against each file name, ignoring letter case as the
// program's media names were chosen on a case-blind file system. Hidden files
// (leading dot) and sub-folders are not listed.
//
// On return *list is null, or a malloc'ed array of malloc'ed file names (names
// only, no directory) ended by a null pointer; free each name and the array
// with free(), or call freeFileList. No match, and a folder that does not
// exist, give true with a null list. False (with a null list) means the folder
// exists but could not be read.
bool findFiles(char*** list, const char* pattern);

// Frees a list made by findFiles; a null list is fine.
void freeFileList(char** list);
