#pragma once
#include <string>
#include <vector>

// Where the program's media lie ("TamoData.arc", "Textures\", "pip.wav"): the
// first of the working directory, the executable's folder and the installed
// data folder (share/tamotown beside the executable's bin/) that holds the
// archive. Names in the working directory stay relative, as they always were.
class MediaFolder {
public:
    // The working directory, not searched for.
    MediaFolder() = default;

    // The first place holding marker; without one, the working directory,
    // with found() false. An empty place stands for the working directory.
    static MediaFolder locate(const std::vector<std::string>& places, const std::string& marker);
    // The working directory, the executable's folder, the installed data folder.
    static std::vector<std::string> standardPlaces();

    // name (backslashes allowed) inside the folder.
    std::string path(const std::string& name) const;
    bool found() const { return wasFound; }
    // The folder for messages: the working directory's full path for "".
    std::string shownFolder() const;
    // Every place looked in, for messages, separated by ", ".
    std::string placesSearched() const;

private:
    std::string folder;  // "" for the working directory
    std::vector<std::string> searched;
    bool wasFound = false;
};

// The media folder found at start-up; the working directory until then.
const MediaFolder& mediaFolder();
void setMediaFolder(const MediaFolder& folder);
