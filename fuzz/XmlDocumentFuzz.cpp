// Fuzzes the XML document read directly: any bytes load or fail with
// EDOMParseError (nothing else, no crash); a document that loaded saves to
// bytes that load again into the same nodes, names, values and attributes,
// saving to the same bytes; and the text of each element reads the same
// (or raises the same) after the round.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/xml/vxXmlDocument.h"

namespace {

// What one node of a loaded document is, with its text where it has one.
struct TShape {
  TNodeType Type;
  ustring Name;
  std::optional<ustring> Value;
  std::vector<TXMLAttribute> Attributes;
  bool HasText = false;
  ustring Text;
  size_t Children = 0;
};

// Every node in document order, without recursion.
std::vector<TShape> Shape(const TXMLDocument& doc) {
  std::vector<TShape> shapes;
  std::vector<TXMLNode> pending{doc.DocumentNode()};
  while (!pending.empty()) {
    const TXMLNode node = pending.back();
    pending.pop_back();
    TShape shape{node.NodeType(), node.NodeName(), node.NodeValue(), {}, false, {}, 0};
    const std::vector<TXMLNode> children = node.ChildNodes();
    shape.Children = children.size();
    if (shape.Type == ntElement) {
      shape.Attributes = node.Attributes();
      try {
        shape.Text = node.Text();
        shape.HasText = true;
      } catch (const EXMLDocError&) {
      }
    }
    shapes.push_back(std::move(shape));
    for (auto child = children.rbegin(); child != children.rend(); ++child) pending.push_back(*child);
  }
  return shapes;
}

bool Same(const std::vector<TShape>& a, const std::vector<TShape>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const TShape &x = a[i], &y = b[i];
    if (x.Type != y.Type || x.Name != y.Name || x.Value != y.Value || x.Attributes != y.Attributes ||
        x.HasText != y.HasText || x.Text != y.Text || x.Children != y.Children)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string input(reinterpret_cast<const char*>(Data), Size);
  TXMLDocument doc;
  try {
    doc.LoadFromXML(input);
  } catch (const EDOMParseError&) {
    vxFuzz::Check(doc.DocumentElement().IsNil());  // a failed load leaves nothing
    return 0;
  }
  vxFuzz::Check(!doc.DocumentElement().IsNil());
  const std::string saved = doc.SaveToXML();
  TXMLDocument again;
  try {
    again.LoadFromXML(saved);
  } catch (const EDOMParseError&) {
    vxFuzz::Fail();  // what we write must read
  }
  vxFuzz::Check(Same(Shape(doc), Shape(again)));
  vxFuzz::Check(again.SaveToXML() == saved);
  return 0;
}
