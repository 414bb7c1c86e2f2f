/*
 * Tessarine browser runtime: tree views.
 */
(function (core) {
  'use strict';

  const { define, el, esc, iconHtml, compOf, canSend, userEvent, mouseEvents } = core;

  // ------------------------------------------------------------- tree view

  function treeExpanded(c, n) {
    return Object.prototype.hasOwnProperty.call(c.exp, n.id) ? c.exp[n.id] : !!n.expanded;
  }

  function treeRender(c) {
    c.nodeMap = Object.create(null);
    let seqNo = 0;
    const sel = c.sel;
    const walk = (list, level) => (Array.isArray(list) ? list : []).map((n) => {
      const key = String(seqNo++);
      c.nodeMap[key] = n;
      const kids = Array.isArray(n.children) && n.children.length ? n.children : null;
      const open = kids && treeExpanded(c, n);
      const img = iconHtml(c, n.image != null ? n.image : n.imageIndex);
      return '<div class="tess-node-wrap"><div class="tess-node' + (sel != null && n.id === sel ? ' tess-sel' : '') +
        '" data-k="' + key + '" style="padding-left:' + (4 + level * 16) + 'px">' +
        '<span class="tess-node-toggle">' + (kids ? '<i class="fas ' + (open ? 'fa-caret-down' : 'fa-caret-right') + '"></i>' : '') + '</span>' +
        (img ? '<span class="tess-node-icon">' + img + '</span>' : '') +
        '<span class="tess-node-text">' + esc(n.text) + '</span></div>' +
        (kids ? '<div class="tess-node-children"' + (open ? '' : ' style="display:none"') + '>' + walk(kids, level + 1) + '</div>' : '') +
        '</div>';
    }).join('');
    const st = c.dom.scrollTop;
    c.dom.innerHTML = walk(c.p.nodes, 0);
    c.dom.scrollTop = st;
  }

  function treeNodeOf(c, e) {
    const row = e.target.closest('.tess-node');
    return row && c.nodeMap ? c.nodeMap[row.getAttribute('data-k')] : null;
  }

  function treeToggle(c, n) {
    c.exp[n.id] = !treeExpanded(c, n);
    treeRender(c);
  }

  define('TUniTreeView', {
    props: ['nodes', 'images', 'selected'],
    build: function (c) {
      c.dom = el('div', 'tess-tree');
      c.exp = Object.create(null);
      c.sel = null;
      mouseEvents(c);
      c.dom.addEventListener('click', (e) => {
        if (compOf(e.target) !== c) return;
        const n = treeNodeOf(c, e);
        if (!n) return;
        if (e.target.closest('.tess-node-toggle')) { treeToggle(c, n); return; }
        if (!canSend(c)) return;
        c.sel = n.id;
        treeRender(c);
        userEvent(c, { t: 'node', c: c.id, node: n.id });
      });
      c.dom.addEventListener('dblclick', (e) => {
        if (compOf(e.target) !== c) return;
        const n = treeNodeOf(c, e);
        if (n && !e.target.closest('.tess-node-toggle') && Array.isArray(n.children) && n.children.length) treeToggle(c, n);
        userEvent(c, { t: 'dblclick', c: c.id });
      });
    },
    update: function (c, key) {
      if (key === 'nodes') c.exp = Object.create(null);
      if (key === 'selected') c.sel = c.p.selected;
      if (key == null && c.p.selected != null) c.sel = c.p.selected;
      if (key == null || key === 'nodes' || key === 'images' || key === 'selected') treeRender(c);
    }
  });
})(window.Tess.core);
