#pragma once
// Tree views: the nodes, the node list and the tree control.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/component.h"

namespace plat::ui {

class TUniTreeView;
class TUniCustomImageList;

class TTreeNodes;

class TTreeNode {
 public:
  TTreeNode(const TTreeNode&) = delete;
  TTreeNode& operator=(const TTreeNode&) = delete;

  int Id() const { return id_; }  // the browser's name of the node
  const std::string& Text() const { return text_; }
  void SetText(std::string_view text);
  int ImageIndex() const { return imageIndex_; }  // -1 = none
  void SetImageIndex(int index);
  // Storage for the application; never shown.
  const std::string& Data() const { return data_; }
  void SetData(std::string_view data) { data_ = std::string(data); }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  TTreeNode* Parent() const { return parent_; }
  int Count() const { return static_cast<int>(children_.size()); }
  TTreeNode* Item(int index) const;  // a child; nullptr outside
  std::vector<TTreeNode*> Children() const;
  bool HasChildren() const { return !children_.empty(); }
  int Level() const;  // 0 for a top-level node
  int Index() const;  // among its siblings
  TTreeNode* GetFirstChild() const { return Item(0); }
  TTreeNode* GetNextSibling() const;

  bool Expanded() const { return expanded_; }
  void Expand(bool recurse = false);
  void Collapse(bool recurse = false);
  bool Selected() const;
  TUniTreeView* TreeView() const { return tree_; }
  // Removes the node and its children from the tree (the node is freed).
  void Delete();

 private:
  friend class TTreeNodes;
  friend class TUniTreeView;
  TTreeNode(TUniTreeView* tree, TTreeNode* parent, int id, std::string text)
      : tree_(tree), parent_(parent), id_(id), text_(std::move(text)) {}
  Json ToJson(const TUniCustomImageList* images) const;
  TUniTreeView* tree_;
  TTreeNode* parent_;
  int id_;
  std::string text_;
  int imageIndex_ = -1;
  std::string data_;
  int tag_ = 0;
  bool expanded_ = false;
  std::vector<std::unique_ptr<TTreeNode>> children_;
};

// The node list of a tree view. Items(i) and Count() walk the whole tree in
// display order (each node followed by its children).
class TTreeNodes {
 public:
  explicit TTreeNodes(TUniTreeView& tree) : tree_(tree) {}
  TTreeNodes(const TTreeNodes&) = delete;
  TTreeNodes& operator=(const TTreeNodes&) = delete;
  ~TTreeNodes();

  // A node after the last one on the level of `sibling` (top level when
  // null).
  TTreeNode* Add(TTreeNode* sibling, std::string_view text);
  // A node after the last child of `parent` (top level when null).
  TTreeNode* AddChild(TTreeNode* parent, std::string_view text);
  void Delete(TTreeNode* node);
  void Clear();
  int Count() const;
  TTreeNode* Item(int index) const;  // nullptr outside 0..Count-1
  TTreeNode* operator[](int index) const { return Item(index); }
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  std::vector<TTreeNode*> TopLevel() const;
  TTreeNode* FindById(int id) const;

  // Nested brackets; the browser gets the tree once, after the outermost.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();

 private:
  friend class TTreeNode;
  friend class TUniTreeView;
  void Changed();
  const std::vector<TTreeNode*>& Flat() const;
  std::vector<std::unique_ptr<TTreeNode>>& SiblingsOf(TTreeNode* parent) { return parent ? parent->children_ : roots_; }
  TUniTreeView& tree_;
  std::vector<std::unique_ptr<TTreeNode>> roots_;
  int nextId_ = 0;
  int updating_ = 0;
  bool dirty_ = false;
  mutable std::vector<TTreeNode*> flat_;
  mutable bool flatValid_ = false;
};

// The images are the name of the image list whose entries are the node
// images. The nodes and the selected node travel from the tree's own state.
#define TESS_TREE_VIEW_PROPERTIES(P)     \
  P(Text, Images, "images", )            \
  P(Sent, Nodes, "nodes", )              \
  P(Sent, Selected, "selected", )

class TUniTreeView : public Control {
 public:
  explicit TUniTreeView(Form* owner);
  ~TUniTreeView() override;
  const char* ClassName() const override { return "TUniTreeView"; }
  TESS_PROPERTIES(Control, TESS_TREE_VIEW_PROPERTIES)
  TTreeNodes& Items() { return items_; }
  const TTreeNodes& Items() const { return items_; }
  TTreeNode* Selected() const { return selected_; }
  void SetSelected(TTreeNode* node);
  void FullExpand();
  void FullCollapse();

  NotifyEvent OnChange;  // the user selected another node (before OnClick)

  // A click on a node comes as a "node" event: it selects the node, then
  // runs OnChange (when the selection changed) and OnClick. A plain click
  // on the tree is not a node click and runs nothing.
  bool HandleBrowserEvent(const std::string& type, const Json& event) override;
  Json RenderProp(std::string_view key) const override;

 protected:
  void RenderInto(Json& node) const override;

 private:
  friend class TTreeNodes;
  friend class TTreeNode;
  void NodesChanged() { MarkChanged("nodes"); }
  void Forget(const TTreeNode* node);
  TTreeNodes items_;
  TTreeNode* selected_ = nullptr;
};

}  // namespace plat::ui
