#pragma once

class Hobject_View_Gui;

// The picture and overlay groups of the Colony Analyser page's view, and the selectors the
// operator switches them with.
class ColonyAnalyserViewGroups {
public:
    static void install(Hobject_View_Gui& view);
};
