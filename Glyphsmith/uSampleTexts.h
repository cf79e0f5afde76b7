#pragma once
// Sample texts of the editor: what the preview and the size strip show for a text item in place
// of the host's text. They belong to the editing session, keyed by the text item's name, and are
// never stored in a library.

#include <cstdint>
#include <map>
#include <string>

// The choices of the "Sample" list, in its order.
enum TSampleKind : uint8_t { skName, skShort, skLong, skEmpty, skCustom };

struct TSample {
    TSampleKind Kind = skName;
    std::string Custom;  // the typed text of skCustom (code page 1252)
};

class TSampleTexts {
public:
    // The sample of the text item called name; skName when none was chosen.
    TSample Get(const std::string &name) const;
    // Chooses the sample for name; skName forgets it.
    void Set(const std::string &name, const TSample &sample);
    // What is shown for name: "<<" + name + ">>" for skName, the preset or typed text otherwise.
    std::string Text(const std::string &name) const;
    // The text a preset shows (skShort, skLong, skEmpty); empty for the others.
    static std::string PresetText(TSampleKind kind);

private:
    std::map<std::string, TSample> FSamples;
};
