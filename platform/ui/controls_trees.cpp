// The tree view and its nodes.
#include "platform/ui/controls_trees.h"

#include <algorithm>

#include "platform/ui/controls_nonvisual.h"
#include "platform/ui/controls_util.h"

namespace plat::ui {

using detail::FindImageList;

// ---- TTreeNode ----------------------------------------------------------------------

void TTreeNode::SetText(std::string_view text) {
  if (text == text_) return;
  text_ = std::string(text);
  tree_->Items().Changed();
}

void TTreeNode::SetImageIndex(int index) {
  if (index == imageIndex_) return;
  imageIndex_ = index;
  tree_->Items().Changed();
}

TTreeNode* TTreeNode::Item(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return children_[static_cast<std::size_t>(index)].get();
}

std::vector<TTreeNode*> TTreeNode::Children() const {
  std::vector<TTreeNode*> out;
  for (const auto& c : children_) out.push_back(c.get());
  return out;
}

int TTreeNode::Level() const {
  int level = 0;
  for (const TTreeNode* p = parent_; p; p = p->parent_) ++level;
  return level;
}

int TTreeNode::Index() const {
  const auto& siblings = tree_->Items().SiblingsOf(parent_);
  for (std::size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i].get() == this) return static_cast<int>(i);
  return -1;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& siblings = tree_->Items().SiblingsOf(parent_);
  const int i = Index();
  return i >= 0 && i + 1 < static_cast<int>(siblings.size()) ? siblings[static_cast<std::size_t>(i) + 1].get()
                                                             : nullptr;
}

void TTreeNode::Expand(bool recurse) {
  bool changed = !expanded_;
  expanded_ = true;
  if (recurse)
    for (auto& c : children_) c->Expand(true);
  if (changed) tree_->Items().Changed();
}

void TTreeNode::Collapse(bool recurse) {
  bool changed = expanded_;
  expanded_ = false;
  if (recurse)
    for (auto& c : children_) c->Collapse(true);
  if (changed) tree_->Items().Changed();
}

bool TTreeNode::Selected() const { return tree_->Selected() == this; }

void TTreeNode::Delete() { tree_->Items().Delete(this); }

Json TTreeNode::ToJson(const TUniCustomImageList* images) const {
  Json n = {{"id", id_}, {"text", text_}};
  if (images && imageIndex_ >= 0) {
    std::string image = images->Image(imageIndex_);
    if (!image.empty()) n["image"] = std::move(image);
  }
  if (expanded_) n["expanded"] = true;
  if (!children_.empty()) {
    Json ch = Json::array();
    for (const auto& c : children_) ch.push_back(c->ToJson(images));
    n["children"] = std::move(ch);
  }
  return n;
}

// ---- TTreeNodes -----------------------------------------------------------------------

TTreeNodes::~TTreeNodes() = default;

void TTreeNodes::Changed() {
  flatValid_ = false;
  if (updating_ > 0) {
    dirty_ = true;
    return;
  }
  tree_.NodesChanged();
}

void TTreeNodes::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0 && dirty_) {
    dirty_ = false;
    tree_.NodesChanged();
  }
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, std::string_view text) {
  if (parent && parent->tree_ != &tree_) throw UiError("the node belongs to another tree");
  auto& siblings = SiblingsOf(parent);
  siblings.push_back(std::unique_ptr<TTreeNode>(new TTreeNode(&tree_, parent, ++nextId_, std::string(text))));
  Changed();
  return siblings.back().get();
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, std::string_view text) {
  if (sibling && sibling->tree_ != &tree_) throw UiError("the node belongs to another tree");
  return AddChild(sibling ? sibling->parent_ : nullptr, text);
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node || node->tree_ != &tree_) return;
  tree_.Forget(node);
  auto& siblings = SiblingsOf(node->parent_);
  auto it = std::find_if(siblings.begin(), siblings.end(), [node](const auto& p) { return p.get() == node; });
  if (it == siblings.end()) return;
  std::unique_ptr<TTreeNode> doomed = std::move(*it);
  siblings.erase(it);
  Changed();
}

void TTreeNodes::Clear() {
  if (roots_.empty()) return;
  tree_.Forget(nullptr);
  roots_.clear();
  Changed();
}

const std::vector<TTreeNode*>& TTreeNodes::Flat() const {
  if (!flatValid_) {
    flat_.clear();
    // Depth first, each node before its children: the order of the tree
    // as it is displayed fully expanded.
    std::vector<TTreeNode*> stack;
    for (auto it = roots_.rbegin(); it != roots_.rend(); ++it) stack.push_back(it->get());
    while (!stack.empty()) {
      TTreeNode* n = stack.back();
      stack.pop_back();
      flat_.push_back(n);
      for (auto it = n->children_.rbegin(); it != n->children_.rend(); ++it) stack.push_back(it->get());
    }
    flatValid_ = true;
  }
  return flat_;
}

int TTreeNodes::Count() const { return static_cast<int>(Flat().size()); }

TTreeNode* TTreeNodes::Item(int index) const {
  const auto& flat = Flat();
  return index >= 0 && index < static_cast<int>(flat.size()) ? flat[static_cast<std::size_t>(index)] : nullptr;
}

std::vector<TTreeNode*> TTreeNodes::TopLevel() const {
  std::vector<TTreeNode*> out;
  for (const auto& r : roots_) out.push_back(r.get());
  return out;
}

TTreeNode* TTreeNodes::FindById(int id) const {
  for (TTreeNode* n : Flat())
    if (n->Id() == id) return n;
  return nullptr;
}

// ---- TUniTreeView ----------------------------------------------------------------------

TUniTreeView::TUniTreeView(Form* owner) : Control(owner), items_(*this) { RegisterEvent("OnChange", &OnChange); }

TUniTreeView::~TUniTreeView() {
  selected_ = nullptr;
  items_.roots_.clear();
}

void TUniTreeView::Forget(const TTreeNode* node) {
  if (!selected_) return;
  if (!node) {
    selected_ = nullptr;
    MarkChanged("selected");
    return;
  }
  for (const TTreeNode* p = selected_; p; p = p->Parent())
    if (p == node) {
      selected_ = nullptr;
      MarkChanged("selected");
      return;
    }
}

void TUniTreeView::SetSelected(TTreeNode* node) {
  if (node && node->TreeView() != this) throw UiError("the node belongs to another tree");
  if (node == selected_) return;
  selected_ = node;
  MarkChanged("selected");
}

void TUniTreeView::FullExpand() {
  items_.BeginUpdate();
  for (TTreeNode* n : items_.TopLevel()) n->Expand(true);
  items_.EndUpdate();
}

void TUniTreeView::FullCollapse() {
  items_.BeginUpdate();
  for (TTreeNode* n : items_.TopLevel()) n->Collapse(true);
  items_.EndUpdate();
}

Json TUniTreeView::RenderProp(std::string_view key) const {
  if (key == "nodes") {
    const TUniCustomImageList* images = FindImageList(*this, Images());
    Json nodes = Json::array();
    for (const auto& r : items_.roots_) nodes.push_back(r->ToJson(images));
    return nodes;
  }
  if (key == "selected") return selected_ ? Json(selected_->Id()) : Json(nullptr);
  return Control::RenderProp(key);
}

void TUniTreeView::RenderInto(Json& node) const {
  Control::RenderInto(node);
  node["p"]["nodes"] = RenderProp("nodes");
  if (selected_) node["p"]["selected"] = selected_->Id();
}

bool TUniTreeView::HandleBrowserEvent(const std::string& type, const Json& ev) {
  if (type == "node") {
    int id = 0;
    TTreeNode* node = detail::IntMember(ev, "node", id) ? items_.FindById(id) : nullptr;
    if (!node) return detail::Refused(*this, ev, "no such node");
    const bool changed = node != selected_;
    selected_ = node;  // the browser shows it selected already
    if (changed) OnChange(this);
    OnClick(this);
    return true;
  }
  if (type == "click") return true;  // node clicks come as "node"
  return Control::HandleBrowserEvent(type, ev);
}

}  // namespace plat::ui
