#include "platform/FileDialog.h"

// GTK headers stay in the dialog sources.
#include <SDL.h>
#include <gtk/gtk.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/GtkDialogSupport.h"
#include "platform/PathName.h"

// ---- display-independent rules -------------------------------------------

namespace {

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> splitPatterns(const char* list) {
    std::vector<std::string> patterns;
    std::string current;
    for (const char* c = list;; ++c) {
        if (*c == ';' || *c == '\0') {
            std::string pattern = trimmed(current);
            if (pattern == "*.*")
                pattern = "*";  // the all-files pattern also matches names without a dot
            if (!pattern.empty())
                patterns.push_back(pattern);
            current.clear();
            if (*c == '\0')
                break;
        } else {
            current.push_back(*c);
        }
    }
    return patterns;
}

size_t fileNameStart(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::vector<FileDialogFilter> parseDialogFilter(const char* filter) {
    std::vector<FileDialogFilter> filters;
    if (!filter)
        return filters;
    const char* entry = filter;
    while (*entry) {
        const char* description = entry;
        const char* patterns = description + std::strlen(description) + 1;
        if (!*patterns)
            break;
        filters.push_back({description, splitPatterns(patterns)});
        entry = patterns + std::strlen(patterns) + 1;
    }
    return filters;
}

std::string addDefaultExtension(const std::string& path, const char* defaultExtension) {
    if (!defaultExtension)
        return path;
    while (*defaultExtension == '.')
        ++defaultExtension;
    if (!*defaultExtension)
        return path;
    const size_t start = fileNameStart(path);
    if (start >= path.size())
        return path;  // no file name at all
    const size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && dot > start && dot + 1 < path.size())
        return path;
    if (dot != std::string::npos && dot > start && dot + 1 == path.size())
        return path + defaultExtension;  // "world." becomes "world.map"
    return path + "." + defaultExtension;
}

bool copyPathToBuffer(const std::string& path, char* buffer, int32_t bufferSize) {
    if (!buffer || bufferSize <= 0 || path.size() + 1 > static_cast<size_t>(bufferSize))
        return false;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return true;
}

// ---- the GTK dialog -------------------------------------------------------

namespace {

// Runs a message box over parent; true when the user chose the accepting button.
bool askUser(GtkWidget* parent, GtkMessageType type, const std::string& text,
             const char* acceptLabel) {
    GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(parent), GTK_DIALOG_MODAL, type,
                                            GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(box), acceptLabel ? "Replace File" : "Cannot Use This Name");
    if (acceptLabel) {
        gtk_dialog_add_button(GTK_DIALOG(box), "_Cancel", GTK_RESPONSE_CANCEL);
        gtk_dialog_add_button(GTK_DIALOG(box), acceptLabel, GTK_RESPONSE_ACCEPT);
        gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_CANCEL);
    } else {
        gtk_dialog_add_button(GTK_DIALOG(box), "_OK", GTK_RESPONSE_ACCEPT);
    }
    prepareDialogWindow(box);
    // The chooser stays open beneath the box and keeps watching its folder.
    const bool accepted = runChooserLoop(box) == GTK_RESPONSE_ACCEPT;
    gtk_widget_destroy(box);
    drainGtk();
    focusDialog(parent);  // the chooser takes the keyboard back
    return accepted;
}

// GTK matches patterns with letter case; the program's patterns do not care.
std::string caseBlindPattern(const std::string& pattern) {
    std::string result;
    for (const char c : pattern) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
            result += '[';
            result += static_cast<char>(std::tolower(u));
            result += static_cast<char>(std::toupper(u));
            result += ']';
        } else {
            result += c;
        }
    }
    return result;
}

void addFilters(GtkFileChooser* chooser, const char* filterList) {
    for (const FileDialogFilter& entry : parseDialogFilter(filterList)) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, entry.description.c_str());
        for (const std::string& pattern : entry.patterns)
            gtk_file_filter_add_pattern(filter, caseBlindPattern(pattern).c_str());
        gtk_file_chooser_add_filter(chooser, filter);
    }
}

std::string currentFolder() {
    char* cwd = getcwd(nullptr, 0);
    const std::string folder = cwd ? cwd : "/";
    std::free(cwd);
    return folder;
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/')
        return path;
    return currentFolder() + "/" + path;
}

bool isFolder(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

void proposeName(GtkFileChooser* chooser, bool save, const std::string& proposed) {
    const std::string path = absolutePath(proposed);
    const std::string folder = proposed.empty() ? currentFolder() : folderOfPath(path);
    gtk_file_chooser_set_current_folder(chooser, isFolder(folder) ? folder.c_str()
                                                                  : currentFolder().c_str());
    const std::string name = proposed.empty() ? std::string() : path.substr(fileNameStart(path));
    if (name.empty())
        return;
    if (save)
        gtk_file_chooser_set_current_name(chooser, name.c_str());
    else if (exists(path) && !isFolder(path))
        gtk_file_chooser_select_filename(chooser, path.c_str());
}

enum class Verdict { Accept, ChooseAgain };

// Applies the default extension and the must-exist, overwrite and length rules
// to the name the user confirmed; *path receives the final name.
Verdict checkChoice(GtkWidget* dialog, bool save, std::string* path, int32_t bufferSize,
                    const char* defaultExtension) {
    const std::string typed = *path;
    std::string chosen = addDefaultExtension(typed, defaultExtension);
    // Opening a name typed without extension: an existing file of exactly that name wins.
    if (!save && chosen != typed && exists(typed) && !exists(chosen))
        chosen = typed;
    const std::string shown = chosen.substr(fileNameStart(chosen));
    if (chosen.size() + 1 > static_cast<size_t>(bufferSize)) {
        askUser(dialog, GTK_MESSAGE_ERROR,
                "The path of \"" + shown + "\" is too long (at most " +
                    std::to_string(bufferSize - 1) +
                    " characters). Choose a shorter name or folder.",
                nullptr);
        return Verdict::ChooseAgain;
    }
    if (isFolder(chosen)) {
        askUser(dialog, GTK_MESSAGE_ERROR, "\"" + shown + "\" is a folder.", nullptr);
        return Verdict::ChooseAgain;
    }
    if (save) {
        if (!isFolder(folderOfPath(chosen))) {
            askUser(dialog, GTK_MESSAGE_ERROR, "The folder of \"" + shown + "\" does not exist.",
                    nullptr);
            return Verdict::ChooseAgain;
        }
        if (exists(chosen) &&
            !askUser(dialog, GTK_MESSAGE_QUESTION,
                     "A file named \"" + shown + "\" already exists. Do you want to replace it?",
                     "_Replace"))
            return Verdict::ChooseAgain;
    } else if (!exists(chosen)) {
        askUser(dialog, GTK_MESSAGE_ERROR, "The file \"" + shown + "\" does not exist.", nullptr);
        return Verdict::ChooseAgain;
    }
    *path = chosen;
    return Verdict::Accept;
}

}  // namespace

bool fileDialog(uintptr_t ownerWindow, bool save, char* buffer, int32_t bufferSize,
                const char* filter, const char* defaultExtension) {
    if (!buffer || bufferSize <= 0 || !gtkReady())
        return false;
    SDL_Window* owner = reinterpret_cast<SDL_Window*>(ownerWindow);
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");

    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        save ? "Save As" : "Open", nullptr,
        save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
        GTK_RESPONSE_CANCEL, save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser,
                                                   FALSE);  // asked below, after the extension rule
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    addFilters(chooser, filter);
    proposeName(chooser, save,
                std::string(buffer, strnlen(buffer, static_cast<size_t>(bufferSize))));
    prepareDialogWindow(dialog);
    makeTransientFor(dialog, owner);

    const guint pump = startSdlPump();
    bool accepted = false;
    std::string path;
    while (runChooserLoop(dialog) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(chooser);
        if (!name)
            continue;
        path = name;
        g_free(name);
        if (checkChoice(dialog, save, &path, bufferSize, defaultExtension) == Verdict::Accept) {
            accepted = true;
            break;
        }
    }
    stopSdlPump(pump);
    gtk_widget_destroy(dialog);
    drainGtk();
    returnToOwner(owner);
    return accepted && copyPathToBuffer(path, buffer, bufferSize);
}
