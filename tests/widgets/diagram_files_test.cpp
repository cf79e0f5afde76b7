#include "KXGR/widgets/KXDiagramBox.h"

#include "KXGR/core/KXEdge.h"
#include "KXGR/core/KXErrors.h"
#include "KXGR/core/KXStream.h"
#include "KXGR/core/KXStyles.h"
#include "KXGR/core/KXTextFile.h"
#include "KXGR/core/KXVertex.h"
#include "core/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Text(const TBytes &bytes) { return std::string(bytes.begin(), bytes.end()); }
TBytes Bytes(const std::string &text) { return TBytes(text.begin(), text.end()); }

// A vertex whose records fail half way, as a full disk or a host's broken class would.
class TFailingVertex : public TKXCustomVertex {
public:
    using TKXCustomVertex::TKXCustomVertex;
    static const TKXObjectClass ClassRecord;
    const TKXObjectClass &ClassType() const override { return ClassRecord; }
    void WriteToStream(TValueWriter &writer) override
    {
        writer.PutInteger(Id);
        throw EWriteError(KXMessages::WriteError);
    }
    void WriteToText(TKXTextFile &file) override
    {
        file.WriteIntegers({Id});
        throw EInOutError(KXMessages::DiskFull);
    }
};
const TKXObjectClass TFailingVertex::ClassRecord{"TFailingVertex", &TKXCustomVertex::ClassRecord, nullptr, nullptr};

struct TForm {
    const char *Name;
    bool Text;
};

class DiagramFilesTest : public TScratchDirTest {
protected:
    void SetUp() override
    {
        TScratchDirTest::SetUp();
        Register(Box);
    }

    static void Register(TKXDiagramBox &box)
    {
        box.RegisterObjectClass(TKXCustomVertex::ClassRecord);
        box.RegisterObjectClass(TKXCustomEdge::ClassRecord);
    }

    static TKXCustomVertex *AddVertex(TKXDiagramBox &box, TPoint centre)
    {
        return static_cast<TKXCustomVertex *>(box.AddObject(TKXCustomVertex::CreateAt(centre).release(), moNew));
    }

    static TKXCustomEdge *AddEdge(TKXDiagramBox &box, TKXCustomVertex *a, TKXCustomVertex *b, TPoint p, TPoint q)
    {
        return static_cast<TKXCustomEdge *>(box.AddObject(new TKXCustomEdge(a, b, p, q), moNew));
    }

    // Vertices 1 (10, 20)-(110, 70) and 2 (39950, -70)-(40050, -20), the edge 3 between them
    // with a right-angle bend and the label "Label".
    static void BuildSmallDiagram(TKXDiagramBox &box)
    {
        TKXCustomVertex *a = AddVertex(box, {60, 45});
        TKXCustomVertex *b = AddVertex(box, {40000, -45});
        TKXCustomEdge *edge = AddEdge(box, a, b, {110, 45}, {39950, -45});
        edge->AdjustHandles();
        edge->Adjacent->Caption = "Label";
        edge->Adjacent->MoveBy({0, -30});
        box.ClearSelection();
        // Drawing measures the label anew in the canvas's font; stored bounds of our own.
        edge->Adjacent->Bounds = {20015, -36, 20045, -24};
    }

    void Save(TKXDiagramBox &box, const std::string &name, bool text)
    {
        text ? box.SaveToTextFile(name) : box.SaveToFile(name);
    }
    void Load(TKXDiagramBox &box, const std::string &name, bool text)
    {
        text ? box.LoadFromTextFile(name, nullptr) : box.LoadFromFile(name, nullptr);
    }

    TKXDiagramBox Box;
};

class DiagramFormTest : public DiagramFilesTest, public ::testing::WithParamInterface<TForm> {
protected:
    bool TextForm() const { return GetParam().Text; }
    void Save(TKXDiagramBox &box, const std::string &name) { DiagramFilesTest::Save(box, name, TextForm()); }
    void Load(TKXDiagramBox &box, const std::string &name) { DiagramFilesTest::Load(box, name, TextForm()); }
    std::string Golden() const { return DataFile(TextForm() ? "diagram_small.txt" : "diagram_small.kx"); }
};

const auto Forms = ::testing::Values(TForm{"Binary", false}, TForm{"Text", true});
const auto FormName = [](const auto &info) { return std::string(info.param.Name); };

TEST_F(DiagramFilesTest, EmptyBoxWritesTheMagicAndTwoZeroCounts)
{
    Box.SaveToFile(Path("empty.kx"));
    EXPECT_EQ(ReadFileBytes(Path("empty.kx")),
              (TBytes{0x06, 0x06, 0x4B, 0x58, 0x31, 0x2E, 0x30, 0x30, 0x02, 0x00, 0x02, 0x00}));
    Box.SaveToTextFile(Path("empty.txt"));
    EXPECT_EQ(Text(ReadFileBytes(Path("empty.txt"))), "KX1.00\r\n0 0\r\n");

    Box.LoadFromFile(Path("empty.kx"), nullptr);
    Box.LoadFromTextFile(Path("empty.txt"), nullptr);
    EXPECT_TRUE(Box.Vertices.Empty());
    EXPECT_TRUE(Box.Edges.Empty());
    EXPECT_EQ(Box.LastId, 0);
}

TEST_F(DiagramFilesTest, TextFileWithOnlyTheMagicLineLoadsNothing)
{
    for (const std::string content : {"KX1.00\r\n", "KX1.00"}) {
        WriteFileBytes(Path("magic.txt"), Bytes(content));
        EXPECT_NO_THROW(Box.LoadFromTextFile(Path("magic.txt"), nullptr));
    }
    EXPECT_TRUE(Box.Vertices.Empty());
}

TEST_F(DiagramFilesTest, TextCountsFollowTheIntegerReadingRules)
{
    WriteFileBytes(Path("rules.txt"), Bytes("KX1.00\n \t$1\t+0 and the rest\r\nTKXCustomVertex\n  -7 x\r\n 1 2\t3 4\r\n"));
    Box.LoadFromTextFile(Path("rules.txt"), nullptr);
    ASSERT_EQ(Box.Vertices.Count(), 1u);
    const auto *v = static_cast<TKXCustomVertex *>(Box.Vertices[0]);
    EXPECT_EQ(v->Id, -7);
    EXPECT_EQ((TRect{v->Left, v->Top, v->Right, v->Bottom}), (TRect{1, 2, 3, 4}));
    EXPECT_EQ(Box.LastId, 0);
}

struct TMagicCase {
    const char *Name;
    bool Text;
    TBytes Content;
};

class WrongMagicTest : public DiagramFilesTest, public ::testing::WithParamInterface<TMagicCase> {};

TEST_P(WrongMagicTest, FailsWithTheFileNameAndAddsNothing)
{
    const std::string name = Path("wrong");
    WriteFileBytes(name, GetParam().Content);
    try {
        Load(Box, name, GetParam().Text);
        FAIL() << "no error";
    } catch (const EKXDiagramError &e) {
        EXPECT_EQ(e.Message(), "Invalid file format: " + name);
    }
    EXPECT_TRUE(Box.Vertices.Empty());
}

INSTANTIATE_TEST_SUITE_P(
    Magics, WrongMagicTest,
    ::testing::Values(TMagicCase{"BinaryVersion", false, {0x06, 0x06, 'K', 'X', '1', '.', '0', '1', 0x02, 0x00, 0x02, 0x00}},
                      TMagicCase{"BinaryLowerCase", false, {0x06, 0x06, 'k', 'X', '1', '.', '0', '0', 0x02, 0x00, 0x02, 0x00}},
                      TMagicCase{"BinaryLongString", false, {0x0C, 0x07, 0, 0, 0, 'K', 'X', '1', '.', '0', '0', ' '}},
                      TMagicCase{"TextTrailingBlank", true, Bytes("KX1.00 \r\n0 0\r\n")},
                      TMagicCase{"TextVersion", true, Bytes("KX1.01\r\n0 0\r\n")},
                      TMagicCase{"TextEmptyFile", true, {}}),
    [](const auto &info) { return std::string(info.param.Name); });

TEST_F(DiagramFilesTest, MissingFilesFailWithTheFrameworkErrors)
{
    try {
        Box.LoadFromFile(Path("none.kx"), nullptr);
        FAIL() << "no error";
    } catch (const EFOpenError &e) {
        EXPECT_EQ(e.Message(), "Kann Datei " + Path("none.kx") + " nicht öffnen");
    }
    try {
        Box.LoadFromTextFile(Path("none.txt"), nullptr);
        FAIL() << "no error";
    } catch (const EInOutError &e) {
        EXPECT_EQ(e.Message(), "Datei nicht gefunden");
    }
}

TEST_P(DiagramFormTest, SavesTheGoldenFileByteForByte)
{
    BuildSmallDiagram(Box);
    Save(Box, Path("small"));
    EXPECT_EQ(ReadFileBytes(Path("small")), ReadFileBytes(Golden()));
}

TEST_P(DiagramFormTest, RoundTripKeepsIdsOrderAndGeometryAndSelectsNothing)
{
    BuildSmallDiagram(Box);
    Save(Box, Path("small"));

    TKXDiagramBox copy;
    Register(copy);
    Load(copy, Path("small"));
    ASSERT_EQ(copy.Vertices.Count(), 2u);
    ASSERT_EQ(copy.Edges.Count(), 1u);
    EXPECT_EQ(copy.Vertices[0]->Id, 1);
    EXPECT_EQ(copy.Vertices[1]->Id, 2);
    EXPECT_EQ(copy.Edges[0]->Id, 3);
    EXPECT_EQ(copy.LastId, 3);
    EXPECT_TRUE(copy.Selection.empty());
    for (const TKXObjectList *list : {&copy.Vertices, &copy.Edges})
        for (const auto &object : *list)
            EXPECT_FALSE(object->Selected);

    const auto *edge = static_cast<TKXCustomEdge *>(copy.Edges[0]);
    EXPECT_EQ(edge->Source, copy.Vertices[0]);
    EXPECT_EQ(edge->Target, copy.Vertices[1]);
    ASSERT_EQ(edge->Handles.size(), 3u);
    EXPECT_EQ(edge->Handles[1]->Position, (TPoint{110, -45}));
    EXPECT_EQ(edge->Adjacent->Caption, "Label");
    EXPECT_EQ(edge->Adjacent->Position, (TPoint{20030, -30}));
    EXPECT_EQ(edge->Adjacent->Anchor->Position, (TPoint{110, 0}));
    EXPECT_EQ(copy.Vertices[1]->Links, std::vector<TKXObject *>{edge->Handles.back().get()});
}

TEST_P(DiagramFormTest, LoadingAppendsKeepsTheSelectionAndRaisesLastId)
{
    TKXCustomVertex *own = AddVertex(Box, {0, 0});
    for (int i = 0; i < 9; ++i)
        AddVertex(Box, {0, 0});
    EXPECT_EQ(Box.LastId, 10);
    Box.SelectObject(own, false);

    Load(Box, Golden());
    EXPECT_EQ(Box.Vertices.Count(), 12u);
    EXPECT_EQ(Box.Vertices[0], own);
    EXPECT_EQ(Box.Selection, std::vector<TKXObject *>{own});
    EXPECT_EQ(Box.LastId, 10);

    TKXDiagramBox fresh;
    Register(fresh);
    fresh.LastId = 2;
    Load(fresh, Golden());
    EXPECT_EQ(fresh.LastId, 3);
    EXPECT_EQ(AddVertex(fresh, {0, 0})->Id, 4);
}

TEST_P(DiagramFormTest, LoadingTwiceAttachesEachCopysEdgesToItsOwnVertices)
{
    Load(Box, Golden());
    Load(Box, Golden());
    ASSERT_EQ(Box.Vertices.Count(), 4u);
    ASSERT_EQ(Box.Edges.Count(), 2u);
    const auto *first = static_cast<TKXCustomEdge *>(Box.Edges[0]);
    const auto *second = static_cast<TKXCustomEdge *>(Box.Edges[1]);
    EXPECT_EQ(first->Source, Box.Vertices[0]);
    EXPECT_EQ(first->Target, Box.Vertices[1]);
    EXPECT_EQ(second->Source, Box.Vertices[2]);
    EXPECT_EQ(second->Target, Box.Vertices[3]);
    EXPECT_EQ(Box.Vertices[2]->Id, 1);
    EXPECT_EQ(Box.Edges[1]->Id, 3);
}

TEST_P(DiagramFormTest, UnregisteredClassFailsWithItsName)
{
    TKXDiagramBox bare;
    try {
        Load(bare, Golden());
        FAIL() << "no error";
    } catch (const EKXDiagramError &e) {
        EXPECT_EQ(e.Message(), "Class not registered: TKXCustomVertex");
    }
    EXPECT_TRUE(bare.Vertices.Empty());
}

TEST_P(DiagramFormTest, TheAbstractBaseClassCannotBeRead)
{
    TKXDiagramBox box;
    const std::string name = Path("abstract");
    if (TextForm()) {
        WriteFileBytes(name, Bytes("KX1.00\r\n1 0\r\nTKXObject\r\n1\r\n"));
    } else {
        TKXFileStream stream(name, fmCreate);
        TValueWriter writer(stream, 128);
        writer.PutString("KX1.00");
        writer.PutInteger(1);
        writer.PutInteger(0);
        writer.PutString("TKXObject");
    }
    EXPECT_THROW(Load(box, name), EAbstractError);
}

TEST_P(DiagramFormTest, AFailurePartWayKeepsWhatWasReadAndNothingHalfBuilt)
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

    const std::size_t descriptors = OpenDescriptorCount();
    TKXDiagramBox copy;
    Register(copy);
    try {
        Load(copy, Path("broken"));
        FAIL() << "no error";
    } catch (const EKXDiagramError &e) {
        EXPECT_EQ(e.Message(), "Vertex Id not found");
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_EQ(copy.Vertices.Count(), 2u);
    ASSERT_EQ(copy.Edges.Count(), 1u);
    EXPECT_EQ(copy.LastId, 3);
    const auto *edge = static_cast<TKXCustomEdge *>(copy.Edges[0]);
    EXPECT_EQ(copy.Vertices[0]->Links, std::vector<TKXObject *>{edge->Handles.front().get()});
    EXPECT_EQ(copy.Vertices[1]->Links, std::vector<TKXObject *>{edge->Handles.back().get()});
}

TEST_P(DiagramFormTest, ATruncatedFileFailsAndKeepsTheObjectsBeforeTheCut)
{
    const TBytes golden = ReadFileBytes(Golden());
    const std::string name = Path("cut");
    // Cut inside the edge record: in the text form before its one bend point, whose line an
    // integer read at the end of the file would otherwise make up as (0, 0).
    const std::size_t cut = TextForm() ? Text(golden).rfind("110 -45") : golden.size() - 20;
    WriteFileBytes(name, TBytes(golden.begin(), golden.begin() + static_cast<std::ptrdiff_t>(cut)));
    const std::size_t descriptors = OpenDescriptorCount();
    if (TextForm())
        EXPECT_THROW(Load(Box, name), EInOutError);
    else
        EXPECT_THROW(Load(Box, name), EReadError);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_EQ(Box.Vertices.Count(), 2u);
    EXPECT_TRUE(Box.Edges.Empty());
    EXPECT_EQ(Box.LastId, 2);
    EXPECT_TRUE(Box.Vertices[0]->Links.empty());
    EXPECT_TRUE(Box.Vertices[1]->Links.empty());
}

TEST_P(DiagramFormTest, AHugeCountFailsAtTheFirstMissingRecord)
{
    const std::string name = Path("huge");
    if (TextForm()) {
        WriteFileBytes(name, Bytes("KX1.00\r\n2000000000 2000000000\r\nTKXCustomVertex\r\n1\r\n0 0 10 10\r\n"));
        try {
            Load(Box, name);
            FAIL() << "no error";
        } catch (const EKXDiagramError &e) {
            EXPECT_EQ(e.Message(), "Class not registered: ");
        }
    } else {
        {
            TKXFileStream stream(name, fmCreate);
            TValueWriter writer(stream, 128);
            writer.PutString("KX1.00");
            writer.PutInteger(2000000000);
            writer.PutInteger(2000000000);
            writer.PutString("TKXCustomVertex");
            for (int32_t v : {1, 0, 0, 10, 10})
                writer.PutInteger(v);
        }
        EXPECT_THROW(Load(Box, name), EReadError);
    }
    EXPECT_EQ(Box.Vertices.Count(), 1u);
}

TEST_P(DiagramFormTest, RefusedObjectsAreNotKeptButRaiseLastIdAndLeaveNoLinks)
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
    EXPECT_TRUE(Box.Vertices[0]->Links.empty());
    EXPECT_TRUE(Box.Vertices[1]->Links.empty());
    ASSERT_TRUE(Box.OnAddObject);  // the host's handler is in place again
}

TEST_P(DiagramFormTest, AnObjectTheHostReplacedBelongsToTheHost)
{
    std::vector<std::unique_ptr<TKXObject>> kept;
    Box.OnAddObject = [&](TKXObject *&object, TKXMode) {
        if (object->Kind == okVertex && object->Id == 2) {
            kept.emplace_back(object);
            object = new TKXCustomVertex(TPoint{40000, -45});
            object->Id = 20;
        }
        return true;
    };
    EXPECT_THROW(Load(Box, Golden()), EKXDiagramError);  // the edge finds no vertex 2
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(Box.Vertices[1]->Id, 20);
    EXPECT_EQ(Box.LastId, 2);
    EXPECT_TRUE(Box.Edges.Empty());
}

TEST_P(DiagramFormTest, AFailedSaveLeavesThePreviousFileAsItWas)
{
    BuildSmallDiagram(Box);
    const std::string name = Path("kept");
    Save(Box, name);
    const TBytes before = ReadFileBytes(name);

    auto *failing = new TFailingVertex(TPoint{0, 0});
    Box.AddObject(failing, moNew);
    if (TextForm())
        EXPECT_THROW(Save(Box, name), EInOutError);
    else
        EXPECT_THROW(Save(Box, name), EWriteError);
    EXPECT_EQ(ReadFileBytes(name), before);
    EXPECT_EQ(DirEntries(), std::vector<std::string>{"kept"});
}

TEST_P(DiagramFormTest, StyledVerticesTakeTheirStyleFromTheLibraryHandedIn)
{
    TKXUOLibrary library;
    auto style = std::make_unique<TKXVertexStyle>();
    style->Name = "Box";
    library.AddStyle(std::move(style));
    auto *styled = static_cast<TKXVertex *>(
        Box.AddObject(TKXVertex::CreateWithStyle({60, 45}, &library, "Box").release(), moNew));
    TKXCustomVertex *plain = AddVertex(Box, {300, 45});
    AddEdge(Box, styled, plain, {110, 45}, {250, 45});
    Save(Box, Path("styled"));

    TKXDiagramBox bare;
    try {
        Load(bare, Path("styled"));
        FAIL() << "no error";
    } catch (const EKXDiagramError &e) {
        EXPECT_EQ(e.Message(), "Class not registered: TKXVertex");
    }

    TKXDiagramBox copy;
    copy.RegisterObjectClass(TKXVertex::ClassRecord);  // TKXCustomVertex comes with it
    copy.RegisterObjectClass(TKXCustomEdge::ClassRecord);
    TextForm() ? copy.LoadFromTextFile(Path("styled"), &library) : copy.LoadFromFile(Path("styled"), &library);
    ASSERT_EQ(copy.Vertices.Count(), 2u);
    const auto *loaded = dynamic_cast<TKXVertex *>(copy.Vertices[0]);
    ASSERT_NE(loaded, nullptr);
    ASSERT_NE(loaded->Style, nullptr);
    EXPECT_EQ(loaded->Style->Name, "Box");
    EXPECT_EQ(dynamic_cast<TKXVertex *>(copy.Vertices[1]), nullptr);
    EXPECT_EQ(static_cast<TKXCustomEdge *>(copy.Edges[0])->Source, loaded);
}

INSTANTIATE_TEST_SUITE_P(Forms, DiagramFormTest, Forms, FormName);

}
