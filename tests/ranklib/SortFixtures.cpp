#include "ranklib/SortFixtures.h"

#include <algorithm>

namespace ranktest {

TBasicFigure* AsFigure(TFakeFigure& Figure) { return reinterpret_cast<TBasicFigure*>(&Figure); }

const TFakeFigure& AsFake(const TBasicFigure* Figure) {
  return *reinterpret_cast<const TFakeFigure*>(Figure);
}

const std::vector<std::string> kClassNamesDescending = {
    "TFigureText",    "TFigureRoundRect", "TFigureRectangle", "TFigurePolygon", "TFigurePolyLine",
    "TFigurePie",     "TFigureEllipse",   "TFigureChord",     "TFigureBitmap",
};

std::vector<TFakeFigure> MakeFigures(const std::vector<std::string>& Names) {
  std::vector<TFakeFigure> Figures;
  for (const std::string& Name : Names)
    Figures.push_back({Name, static_cast<int>(Figures.size())});
  return Figures;
}

std::vector<TFakeFigure> RandomFigures(std::mt19937& Random, int Count, int NameCount) {
  std::uniform_int_distribution<int> Pick(0, NameCount - 1);
  std::vector<std::string> Names;
  for (int n = 0; n < Count; ++n)
    Names.push_back(kClassNamesDescending[Pick(Random)]);
  return MakeFigures(Names);
}

int CompareNames(const std::string& A, const std::string& B) {
  const size_t Common = std::min(A.size(), B.size());
  for (size_t n = 0; n < Common; ++n) {
    const unsigned char ByteA = static_cast<unsigned char>(A[n]);
    const unsigned char ByteB = static_cast<unsigned char>(B[n]);
    if (ByteA != ByteB)
      return ByteA < ByteB ? -1 : 1;
  }
  if (A.size() == B.size())
    return 0;
  return A.size() < B.size() ? -1 : 1;
}

std::ostream& operator<<(std::ostream& Out, const TComparison& C) {
  static const char* const kOpNames[] = {"coLess",     "coGreater",     "coEqual",
                                         "coNotEqual", "coLessOrEqual", "coGreaterOrEqual"};
  Out << "(" << C.Id1 << ", " << C.Id2 << ", ";
  if (C.Op < std::size(kOpNames))
    Out << kOpNames[C.Op];
  else
    Out << "op " << static_cast<int>(C.Op);
  return Out << ")";
}

bool TRecordingCompare::Thunk(void* Data, TBasicFigure* F1, TBasicFigure* F2,
                              TFigureCompareOp Op) {
  auto& Self = *static_cast<TRecordingCompare*>(Data);
  const TFakeFigure& A = AsFake(F1);
  const TFakeFigure& B = AsFake(F2);
  const int Call = static_cast<int>(Self.Log.size());
  Self.Log.push_back({A.Id, B.Id, Op});
  if (Call == Self.FailAtCall)
    throw TCompareFailure{Call};
  if (Self.Answer)
    return Self.Answer(A, B, Op);
  return OrderSatisfies(CompareNames(A.ClassName, B.ClassName), Op);
}

TNodeChain::TNodeChain(std::vector<TFakeFigure>& Figures) {
  for (TFakeFigure& Figure : Figures) {
    auto Node = std::make_unique<TFigureNode>(TFigureNode{AsFigure(Figure), nullptr, nullptr});
    if (!FNodes.empty()) {
      Node->Prev = FNodes.back().get();
      FNodes.back()->Next = Node.get();
    }
    FNodes.push_back(std::move(Node));
  }
}

std::vector<int> TNodeChain::Ids() const {
  std::vector<int> Ids;
  for (const TFigureNode* Node = FNodes.empty() ? nullptr : FNodes.front().get(); Node;
       Node = Node->Next)
    Ids.push_back(AsFake(Node->Figure).Id);
  return Ids;
}

std::vector<std::string> TNodeChain::Names() const {
  std::vector<std::string> Names;
  for (const TFigureNode* Node = FNodes.empty() ? nullptr : FNodes.front().get(); Node;
       Node = Node->Next)
    Names.push_back(AsFake(Node->Figure).ClassName);
  return Names;
}

std::vector<TNodeChain::TLinks> TNodeChain::Links() const {
  std::vector<TLinks> Links;
  for (const auto& Node : FNodes)
    Links.push_back({Node.get(), Node->Next, Node->Prev});
  return Links;
}

std::ostream& operator<<(std::ostream& Out, const TNodeChain::TLinks& L) {
  return Out << "{node " << L.Node << ", next " << L.Next << ", prev " << L.Prev << "}";
}

std::string RoutineName(const TRoutine& Routine) { return Routine.Name; }

void PrintTo(const TRoutine& Routine, std::ostream* Out) { *Out << Routine.Name; }

}  // namespace ranktest
