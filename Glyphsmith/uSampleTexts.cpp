#include "uSampleTexts.h"

TSample TSampleTexts::Get(const std::string &name) const
{
    const auto it = FSamples.find(name);
    return it == FSamples.end() ? TSample{} : it->second;
}

void TSampleTexts::Set(const std::string &name, const TSample &sample)
{
    if (sample.Kind == skName)
        FSamples.erase(name);
    else
        FSamples[name] = sample;
}

std::string TSampleTexts::Text(const std::string &name) const
{
    const TSample sample = Get(name);
    switch (sample.Kind) {
    case skName: return "<<" + name + ">>";
    case skCustom: return sample.Custom;
    default: return PresetText(sample.Kind);
    }
}

std::string TSampleTexts::PresetText(TSampleKind kind)
{
    switch (kind) {
    case skShort: return "Sample";
    case skLong: return "A much longer sample text, to see how the item clips what does not fit";
    default: return std::string();
    }
}
