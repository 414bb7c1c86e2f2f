/*
 * Tessarine browser runtime: popup menus.
 */
(function (core) {
  'use strict';

  const {
    define, el, textOf, iconHtml, enqueue, flushFocused, closeFloaters, addFloater, removeFloater, placeFloating
  } = core;

  // ------------------------------------------------------------ popup menus

  let openMenu = null;

  function closeMenus() {
    const m = openMenu;
    if (!m) return;
    openMenu = null;
    removeFloater(m.f);
    m.levels.forEach((e) => { if (e.parentNode) e.parentNode.removeChild(e); });
  }

  function menuItems(c) { return Array.isArray(c.p.menu) ? c.p.menu : []; }

  function menuLevel(m, items, x, y, level) {
    while (m.levels.length > level) { const e = m.levels.pop(); if (e.parentNode) e.parentNode.removeChild(e); }
    const box = el('div', 'tess-floating tess-menu', document.body);
    m.levels.push(box);
    items.forEach((it) => {
      if (!it || it.visible === false) return;
      if (it.separator || it.caption === '-') { el('div', 'tess-menu-sep', box); return; }
      const kids = Array.isArray(it.children) && it.children.length ? it.children : null;
      const off = it.enabled === false;
      const row = el('div', 'tess-menu-item' + (off ? ' tess-disabled' : '') + (kids ? ' tess-menu-parent' : ''), box);
      row.innerHTML = '<span class="tess-menu-icon">' + iconHtml(m.owner, it.image != null ? it.image : it.imageIndex) +
        '</span><span class="tess-menu-text"></span>' +
        (kids ? '<span class="tess-menu-arrow"><i class="fas fa-caret-right"></i></span>' : '');
      row.querySelector('.tess-menu-text').textContent = textOf(it.caption);
      if (it.id != null) row.setAttribute('data-item', String(it.id));
      row.addEventListener('mouseenter', () => {
        Array.from(box.children).forEach((e) => e.classList.remove('tess-hi'));
        row.classList.add('tess-hi');
        if (kids && !off) {
          const r = row.getBoundingClientRect();
          menuLevel(m, kids, r.right - 2, r.top - 3, level + 1);
        } else {
          while (m.levels.length > level + 1) { const e = m.levels.pop(); if (e.parentNode) e.parentNode.removeChild(e); }
        }
      });
      row.addEventListener('click', (e) => {
        e.stopPropagation();
        if (kids || off) return;
        closeMenus();
        flushFocused();
        enqueue({ t: 'menu', c: it.id });
      });
    });
    placeFloating(box, x, y);
  }

  function popupMenu(c, x, y) {
    closeFloaters();
    if (!menuItems(c).length) return;
    const m = { owner: c, levels: [] };
    m.f = addFloater({ contains: (n) => m.levels.some((e) => e.contains(n)), close: closeMenus, closeOnEscape: true });
    openMenu = m;
    menuLevel(m, menuItems(c), x, y, 0);
  }

  define('TUniPopupMenu', {
    props: ['menu', 'images'],
    popup: popupMenu,
    destroy: function (c) { if (openMenu && openMenu.owner === c) closeMenus(); }
  });

  // An item has no element of its own: it is drawn from its popup's menu,
  // with its caption and the image of its image index.
  define('TUniMenuItem', {
    props: ['caption', 'imageIndex'],
    build: core.classes.generic.build
  });
})(window.Tess.core);
