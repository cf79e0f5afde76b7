// Diagram files in both forms; every test runs once for the binary and once for the text form.
#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXVertex.h"
#include "core/TestFiles.h"

#include <gtest/gtest.h>

#include <variant>

namespace {

using TObjects = std::vector<TKXObject *>;

class DiagramFileTest : public TScratchDirTest, public ::testing::WithParamInterface<bool> {
protected:
    TKXDiagramBox Box;

    DiagramFileTest() { Register(Box); }
    static void Register(TKXDiagramBox &box)
    {
        box.RegisterObjectClass(TKXCustomVertex::ClassRecord);
        box.RegisterObjectClass(TKXCustomEdge::ClassRecord);
    }
    bool TextForm() const { return GetParam(); }
    void Save(TKXDiagramBox &box, const std::string &name) { TextForm() ? box.SaveToTextFile(name) : box.SaveToFile(name); }
    void Load(TKXDiagramBox &box, const std::string &name)
    {
        TextForm() ? box.LoadFromTextFile(name, nullptr) : box.LoadFromFile(name, nullptr);
    }
    std::string Golden() const { return DataFile(TextForm() ? "diagram_small.txt" : "diagram_small.kx"); }
    // A file of the binary form written value by value (lengths the writer would not make).
    void WriteValues(const std::string &name, const std::vector<std::variant<std::string, int32_t>> &values)
    {
        TKXFileStream stream(name, fmCreate);
        TValueWriter writer(stream, 128);
        for (const auto &value : values)
            std::holds_alternative<int32_t>(value) ? writer.PutInteger(std::get<int32_t>(value))
                                                   : writer.PutString(std::get<std::string>(value));
    }

    static TKXCustomVertex *AddVertex(TKXDiagramBox &box, TPoint centre)
    {
        return static_cast<TKXCustomVertex *>(box.AddObject(TKXCustomVertex::CreateAt(centre).release(), moNew));
    }
    // The golden diagram: vertices 1 (10, 20)-(110, 70) and 2 (39950, -70)-(40050, -20), the
    // edge 3 between them with a right-angle bend and the label "Label".
    static void BuildSmallDiagram(TKXDiagramBox &box)
    {
        TKXCustomVertex *a = AddVertex(box, {60, 45});
        TKXCustomVertex *b = AddVertex(box, {40000, -45});
        auto *edge = static_cast<TKXCustomEdge *>(box.AddObject(new TKXCustomEdge(a, b, {110, 45}, {39950, -45}), moNew));
        edge->AdjustHandles();
        edge->Adjacent->Caption = "Label";
        edge->Adjacent->MoveBy({0, -30});
        box.ClearSelection();
        // Drawing measures the label anew in the canvas's font; stored bounds of our own.
        edge->Adjacent->Bounds = {20015, -36, 20045, -24};
    }
    static void ExpectAttached(const TKXDiagramBox &box, std::size_t edge, std::size_t source, std::size_t target)
    {
        const auto *e = static_cast<TKXCustomEdge *>(box.Edges[edge]);
        EXPECT_EQ(e->Source, box.Vertices[source]);
        EXPECT_EQ(e->Target, box.Vertices[target]);
        EXPECT_EQ(box.Vertices[target]->Links, TObjects{e->Handles.back().get()});
    }
};

TEST_P(DiagramFileTest, AnEmptyBoxWritesTheMagicAndTwoZeroCountsAndWrongMagicsAndClassesFail)
{
    Save(Box, Path("empty"));
    const TBytes expected = TextForm() ? BytesOf("KX1.00\r\n0 0\r\n")
                                       : TBytes{0x06, 0x06, 'K', 'X', '1', '.', '0', '0', 0x02, 0x00, 0x02, 0x00};
    EXPECT_EQ(ReadFileBytes(Path("empty")), expected);
    Load(Box, Path("empty"));
    if (TextForm())
        for (const char *magicOnly : {"KX1.00\r\n", "KX1.00"}) {
            WriteFileBytes(Path("magic"), BytesOf(magicOnly));
            EXPECT_NO_THROW(Load(Box, Path("magic")));
        }
    EXPECT_TRUE(Box.Vertices.Empty() && Box.Edges.Empty());
    EXPECT_EQ(Box.LastId, 0);

    const std::vector<TBytes> wrong =
        TextForm() ? std::vector<TBytes>{BytesOf("KX1.00 \r\n0 0\r\n"), BytesOf("KX1.01\r\n0 0\r\n"), {}}
                   : std::vector<TBytes>{{0x06, 0x06, 'K', 'X', '1', '.', '0', '1', 0x02, 0x00, 0x02, 0x00},
                                         {0x06, 0x06, 'k', 'X', '1', '.', '0', '0', 0x02, 0x00, 0x02, 0x00},
                                         {0x0C, 0x07, 0, 0, 0, 'K', 'X', '1', '.', '0', '0', ' '}};
    for (const TBytes &content : wrong) {
        WriteFileBytes(Path("wrong"), content);
        ExpectError<EKXDiagramError>([&] { Load(Box, Path("wrong")); }, "Invalid file format: " + Path("wrong"));
    }
    TKXDiagramBox bare;
    ExpectError<EKXDiagramError>([&] { Load(bare, Golden()); }, "Class not registered: TKXCustomVertex");
    EXPECT_TRUE(Box.Vertices.Empty() && bare.Vertices.Empty());
}

TEST_P(DiagramFileTest, SavesTheGoldenFileAndLoadsItBack)
{
    BuildSmallDiagram(Box);
    Save(Box, Path("small"));
    EXPECT_EQ(ReadFileBytes(Path("small")), ReadFileBytes(Golden()));

    TKXDiagramBox copy;
    Register(copy);
    Load(copy, Path("small"));
    ASSERT_EQ(copy.Vertices.Count(), 2u);
    ASSERT_EQ(copy.Edges.Count(), 1u);
    EXPECT_EQ((std::vector<int32_t>{copy.Vertices[0]->Id, copy.Vertices[1]->Id, copy.Edges[0]->Id, copy.LastId}),
              (std::vector<int32_t>{1, 2, 3, 3}));
    EXPECT_TRUE(copy.Selection.empty());
    EXPECT_FALSE(copy.Vertices[0]->Selected || copy.Vertices[1]->Selected || copy.Edges[0]->Selected);
    ExpectAttached(copy, 0, 0, 1);
    Save(copy, Path("again"));
    EXPECT_EQ(ReadFileBytes(Path("again")), ReadFileBytes(Golden()));
}

TEST_P(DiagramFileTest, LoadingAppendsKeepsTheSelectionAndAttachesEachCopysEdges)
{
    TKXCustomVertex *own = AddVertex(Box, {0, 0});
    for (int i = 0; i < 9; ++i)
        AddVertex(Box, {0, 0});
    Box.SelectObject(own, false);
    Load(Box, Golden());
    Load(Box, Golden());
    ASSERT_EQ(Box.Vertices.Count(), 14u);
    ASSERT_EQ(Box.Edges.Count(), 2u);
    EXPECT_EQ(Box.Vertices[0], own);
    EXPECT_EQ(Box.Selection, TObjects{own});
    EXPECT_EQ(Box.LastId, 10);
    ExpectAttached(Box, 0, 10, 11);
    ExpectAttached(Box, 1, 12, 13);
}

// A load draws each object on the window image as it comes; what the window then shows is
// what a repaint shows, also in a scrolled view.
TEST_P(DiagramFileTest, TheWindowAfterALoadEqualsARepaint)
{
    TKXCustomVertex *a = AddVertex(Box, {80, 60}), *b = AddVertex(Box, {300, 60}), *c = AddVertex(Box, {300, 220});
    for (auto [from, to] : {std::pair(a, b), std::pair(b, c), std::pair(a, c)}) {
        auto *edge = static_cast<TKXCustomEdge *>(
            Box.AddObject(new TKXCustomEdge(from, to, {from->Right, from->Bottom}, {to->Left, to->Top}), moNew));
        edge->Adjacent->Caption = "Edge " + std::to_string(edge->Id);
        edge->Adjacent->MoveBy({0, 15});
    }
    Save(Box, Path("diagram"));
    for (const TPoint origin : {TPoint{0, 0}, TPoint{35, -20}}) {
        SCOPED_TRACE(origin.X);
        TKXDiagramBox copy;
        Register(copy);
        copy.resize(400, 300);
        copy.SetColor(clWhite);
        copy.SetViewOrigin(origin);
        copy.Paint();
        const QImage empty = copy.WindowImage().copy();
        Load(copy, Path("diagram"));
        const QImage loaded = copy.WindowImage().copy();
        EXPECT_NE(loaded, empty);
        copy.Paint();
        EXPECT_EQ(loaded, copy.Buffer());
    }
}

TEST_P(DiagramFileTest, AFailurePartWayKeepsWhatWasReadAndNothingHalfBuilt)
{
    BuildSmallDiagram(Box);
    {
        // An edge to a vertex outside the box is stored with an id that the file lacks.
        TKXCustomVertex outsider(TPoint{500, 500});
        outsider.Id = 42;
        auto *stray = new TKXCustomEdge(static_cast<TKXCustomVertex *>(Box.Vertices[0]), &outsider, {60, 45}, {500, 500});
        stray->Id = 4;
        Box.AddObject(stray, moLoaded);
        Save(Box, Path("broken"));
        Box.Edges.Extract(stray);
    }
    // Cut inside the edge record: in the text form before its one bend point, whose line an
    // integer read at the end of the file would otherwise make up as (0, 0).
    const TBytes golden = ReadFileBytes(Golden());
    const std::size_t cut = TextForm() ? std::string(golden.begin(), golden.end()).rfind("110 -45") : golden.size() - 20;
    WriteFileBytes(Path("cut"), TBytes(golden.begin(), golden.begin() + static_cast<std::ptrdiff_t>(cut)));
    // A count of two billion records in a tiny file fails at the first missing record.
    if (TextForm())
        WriteFileBytes(Path("huge"), BytesOf("KX1.00\r\n2000000000 2000000000\r\nTKXCustomVertex\r\n1\r\n0 0 10 10\r\n"));
    else
        WriteValues(Path("huge"), {"KX1.00", 2000000000, 2000000000, "TKXCustomVertex", 1, 0, 0, 10, 10});

    const std::size_t descriptors = OpenDescriptorCount();
    TKXDiagramBox broken, cutOff, huge;
    for (TKXDiagramBox *box : {&broken, &cutOff, &huge})
        Register(*box);
    try {
        Load(broken, Path("broken"));
        ADD_FAILURE() << "loaded";
    } catch (const EKXDiagramError &e) {
        EXPECT_EQ(e.Message(), "Vertex Id not found");
        // Where the reader stopped: the edge's target id, on the line after its own id.
        EXPECT_EQ(TextForm() ? e.Line : e.ByteOffset, TextForm() ? 22 : 155);
    }
    EXPECT_EQ(broken.Vertices.Count(), 2u);
    ASSERT_EQ(broken.Edges.Count(), 1u);
    EXPECT_EQ(broken.LastId, 3);
    ExpectAttached(broken, 0, 0, 1);
    EXPECT_EQ(broken.Vertices[0]->Links, TObjects{static_cast<TKXCustomEdge *>(broken.Edges[0])->Handles[0].get()});

    if (TextForm())
        EXPECT_THROW(Load(cutOff, Path("cut")), EInOutError);
    else
        EXPECT_THROW(Load(cutOff, Path("cut")), EReadError);
    EXPECT_EQ(cutOff.Vertices.Count(), 2u);
    EXPECT_TRUE(cutOff.Edges.Empty());
    EXPECT_EQ(cutOff.LastId, 2);
    EXPECT_TRUE(cutOff.Vertices[0]->Links.empty() && cutOff.Vertices[1]->Links.empty());

    EXPECT_ANY_THROW(Load(huge, Path("huge")));
    EXPECT_EQ(huge.Vertices.Count(), 1u);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_P(DiagramFileTest, RefusedObjectsAreNotKeptButRaiseLastIdAndLeaveNoLinks)
{
    std::vector<int32_t> asked;
    Box.OnAddObject = [&](TKXObject *&object, TKXMode mode) {
        EXPECT_EQ(mode, moLoaded);
        asked.push_back(object->Id);
        return object->Kind == okVertex;
    };
    Load(Box, Golden());
    EXPECT_EQ(asked, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(Box.Vertices.Count(), 2u);
    EXPECT_TRUE(Box.Edges.Empty());
    EXPECT_EQ(Box.LastId, 3);
    EXPECT_TRUE(Box.Vertices[0]->Links.empty() && Box.Vertices[1]->Links.empty());
}

TEST_P(DiagramFileTest, AFailedSaveLeavesThePreviousFileAsItWas)
{
    BuildSmallDiagram(Box);
    Save(Box, Path("kept"));
    const TBytes before = ReadFileBytes(Path("kept"));
    {
        const TResourceLimit diskTakes50Bytes(RLIMIT_FSIZE, 50);
        if (TextForm())
            EXPECT_THROW(Save(Box, Path("kept")), EInOutError);
        else
            EXPECT_THROW(Save(Box, Path("kept")), EWriteError);
    }
    EXPECT_EQ(ReadFileBytes(Path("kept")), before);
    // A target that cannot be created fails as the file kind does: a stream or a text-file error.
    for (const auto &[target, textMessage] :
         {std::pair{Path("no/dir"), "Ungültiger Dateiname"}, {FDir, "Dateizugriff verweigert"}}) {
        if (TextForm())
            ExpectError<EInOutError>([&] { Save(Box, target); }, textMessage);
        else
            ExpectError<EFCreateError>([&] { Save(Box, target); }, "Kann Datei " + target + " nicht erstellen");
    }
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"kept"});
}

// A line break would shift every later line of the text form, so its save is refused and the
// file stays; the binary form stores any bytes.
TEST_P(DiagramFileTest, ALineBreakInACaptionOrStyleNameIsRefusedByTheTextFormOnly)
{
    BuildSmallDiagram(Box);
    Save(Box, Path("kept"));
    const TBytes before = ReadFileBytes(Path("kept"));
    auto *edge = static_cast<TKXCustomEdge *>(Box.Edges[0]);
    for (const std::string caption : {"two\r\nlines", "two\nlines", "ends in\r"}) {
        edge->Adjacent->Caption = caption;
        if (!TextForm()) {
            Save(Box, Path("binary"));
            TKXDiagramBox copy;
            Register(copy);
            Load(copy, Path("binary"));
            EXPECT_EQ(static_cast<TKXCustomEdge *>(copy.Edges[0])->Adjacent->Caption, caption);
            continue;
        }
        ExpectError<EKXDiagramError>([&] { Save(Box, Path("kept")); }, "Line break in the caption of TKXCustomEdge Id 3");
        EXPECT_EQ(ReadFileBytes(Path("kept")), before);
    }
    if (TextForm()) {
        edge->Adjacent->Caption = "Label";
        auto *styled = static_cast<TKXVertex *>(Box.AddObject(TKXVertex::CreateAt({0, 0}).release(), moNew));
        styled->Style->Name = "Style\n1";
        ExpectError<EKXDiagramError>([&] { Save(Box, Path("kept")); }, "Line break in the style name of TKXVertex Id 4");
        EXPECT_EQ(ReadFileBytes(Path("kept")), before);
        EXPECT_EQ(DirEntries(), std::vector<std::string>{"kept"});
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, DiagramFileTest, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "Text" : "Binary"; });

} // namespace
