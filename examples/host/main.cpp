// A small host of KXGR: it loads a user-object library, places styled vertices whose texts it
// supplies itself, joins them by edges in a diagram box, saves the diagram and reads it back.
//
// Usage: kxgr_host LIBRARY.uol DIAGRAM.kx [PICTURE.png]
// The styles "Process", "Event" and "Storage" are used when the library has them, otherwise
// its first three styles.
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXObjects.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/widgets/KXDiagramBox.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TStep {
    const char *Style;
    const char *Title;
    TPoint Center;
};

const TStep Steps[] = {
    {"Process", "Collect orders", {110, 70}},
    {"Event", "Orders ready", {330, 70}},
    {"Storage", "Order archive", {220, 200}},
};

std::string StyleFor(const TKXUOLibrary &library, const TStep &step, size_t index)
{
    if (library.FindStyle(step.Style))
        return step.Style;
    return index < library.Styles().size() ? library.Styles()[index]->Name : std::string();
}

TKXCustomEdge *Connect(TKXDiagramBox &box, TKXCustomVertex *a, TKXCustomVertex *b)
{
    const TPoint ca{(a->Left + a->Right) / 2, (a->Top + a->Bottom) / 2};
    const TPoint cb{(b->Left + b->Right) / 2, (b->Top + b->Bottom) / 2};
    auto edge = std::make_unique<TKXCustomEdge>(a, b, a->BorderPoint(ca, cb), b->BorderPoint(ca, cb));
    return static_cast<TKXCustomEdge *>(box.AddObject(edge.release(), moNew));
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3 || argc > 4) {
        std::fputs("usage: kxgr_host LIBRARY.uol DIAGRAM.kx [PICTURE.png]\n", stderr);
        return 2;
    }
    try {
        // The host's data: a title per vertex Id. The library hands this event to every style it
        // loads, and each styled vertex asks it for the texts of its text items.
        std::map<int32_t, std::string> titles;
        TKXUOLibrary library;
        library.OnGetData = [&titles](int32_t id, const std::string &field, TObject *) {
            const auto title = titles.find(id);
            return title == titles.end() ? std::string() : field + ": " + title->second;
        };
        library.LoadFromFile(argv[1]);

        TKXDiagramBox box;
        box.resize(440, 270);
        box.SetColor(clWhite);
        box.RegisterObjectClass(TKXVertex::ClassRecord);
        box.RegisterObjectClass(TKXCustomEdge::ClassRecord);

        std::vector<TKXCustomVertex *> vertices;
        for (size_t i = 0; i < std::size(Steps); ++i) {
            auto vertex = TKXVertex::CreateWithStyle(Steps[i].Center, &library, StyleFor(library, Steps[i], i));
            auto *added = static_cast<TKXCustomVertex *>(box.AddObject(vertex.release(), moNew));
            titles[added->Id] = Steps[i].Title;
            vertices.push_back(added);
        }
        Connect(box, vertices[0], vertices[1]);
        Connect(box, vertices[1], vertices[2]);
        box.ClearSelection();
        box.SaveToFile(argv[2]);

        // The diagram read back finds its styles by name in the library.
        TKXDiagramBox reloaded;
        reloaded.RegisterObjectClass(TKXVertex::ClassRecord);
        reloaded.RegisterObjectClass(TKXCustomEdge::ClassRecord);
        reloaded.LoadFromFile(argv[2], &library);
        std::printf("%s: %zu vertices, %zu edges\n", argv[2], reloaded.Vertices.Count(), reloaded.Edges.Count());

        if (argc == 4) {
            box.Paint();
            if (!box.Buffer().save(QString::fromLocal8Bit(argv[3]))) {
                std::fprintf(stderr, "kxgr_host: cannot write %s\n", argv[3]);
                return 1;
            }
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kxgr_host: %s\n", e.what());
        return 1;
    }
    return 0;
}
