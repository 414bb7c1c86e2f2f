/*
 * Tessarine browser runtime: containers (panels, page controls and tab sheets, splitters).
 */
(function (core) {
  'use strict';

  const {
    define, PANEL_TITLE_H, TAB_BAR_H, byId, el, num, textOf, iconHtml, canSend, flushFocused, userEvent, sendChange,
    setProp, applyDisplay, chrome, innerSize, designInner, place, markLayout, flushLayout, dragWith
  } = core;

  // ---------------------------------------------------------------- panels

  function panelHasTitle(c) {
    return c.p.titleVisible === true || (c.p.titleVisible !== false && c.p.title != null && c.p.title !== '');
  }

  function panelBordered(c) {
    const b = c.p.borderStyle;
    return !!b && b !== 'none' && b !== 'ubsNone';
  }

  function renderTools(c) {
    c.toolBox.innerHTML = '';
    (Array.isArray(c.p.tools) ? c.p.tools : []).forEach((t) => {
      const b = el('span', 'tess-tool', c.toolBox);
      b.innerHTML = iconHtml(c, t.icon || t.type || 'gear');
      if (t.hint) b.title = String(t.hint);
      b.addEventListener('click', (e) => {
        e.stopPropagation();
        userEvent(c, { t: 'tool', c: c.id, tool: t.id });
      });
    });
    if (c.p.collapsible) {
      const b = el('span', 'tess-tool tess-collapse', c.toolBox);
      b.innerHTML = '<i class="fas ' + (c.p.collapsed ? 'fa-chevron-down' : 'fa-chevron-up') + '"></i>';
      b.addEventListener('click', (e) => {
        e.stopPropagation();
        setProp(c, 'collapsed', !c.p.collapsed);
        flushLayout();
      });
    }
  }

  define('TUniPanel', {
    props: ['caption', 'title', 'titleVisible', 'titleAlign', 'borderStyle', 'collapsible', 'collapsed', 'draggable', 'tools'],
    build: function (c) {
      c.dom = el('div', 'tess-panel');
      c.titleBar = el('div', 'tess-panel-title', c.dom);
      c.titleText = el('span', 'tess-panel-title-text', c.titleBar);
      c.toolBox = el('span', 'tess-panel-tools', c.titleBar);
      c.body = el('div', 'tess-panel-body', c.dom);
      c.captionEl = el('div', 'tess-panel-caption', c.body);
      c.colorEl = c.body;
      const drag = (e) => {
        if (!c.p.draggable || e.target.closest('.tess-tool')) return;
        const l0 = num(c.p.left, 0), t0 = num(c.p.top, 0);
        dragWith(e, (dx, dy) => {
          c.p.left = l0 + dx;
          c.p.top = t0 + dy;
          markLayout(c.parent || c);
          flushLayout();
        });
      };
      c.titleBar.addEventListener('mousedown', drag);
      c.body.addEventListener('mousedown', (e) => {
        if (!panelHasTitle(c) && (e.target === c.body || e.target === c.captionEl)) drag(e);
      });
    },
    chrome: function (c) {
      const b = panelBordered(c) ? 1 : 0;
      return { l: b, t: b + (panelHasTitle(c) ? PANEL_TITLE_H : 0), r: b, b: b };
    },
    outerHeight: function (c) {
      if (c.p.collapsed && panelHasTitle(c)) { const ch = chrome(c); return ch.t + ch.b; }
      return num(c.p.height, 0);
    },
    update: function (c, key) {
      const all = key == null;
      const p = c.p;
      if (all || key === 'title' || key === 'titleVisible' || key === 'titleAlign' || key === 'borderStyle' || key === 'collapsed') {
        const ch = chrome(c);
        c.titleBar.style.display = panelHasTitle(c) ? '' : 'none';
        c.titleText.textContent = textOf(p.title);
        c.titleBar.style.textAlign = p.titleAlign === 'center' || p.titleAlign === 'right' ? p.titleAlign : 'left';
        c.dom.classList.toggle('tess-panel-bordered', panelBordered(c));
        // Positions inside a bordered element start inside its border.
        c.body.style.top = (ch.t - ch.l) + 'px';
        c.body.style.display = p.collapsed && panelHasTitle(c) ? 'none' : '';
      }
      if (all || key === 'tools' || key === 'collapsible' || key === 'collapsed') renderTools(c);
      if (all || key === 'caption') c.captionEl.textContent = textOf(p.caption);
      if (all || key === 'draggable') c.dom.classList.toggle('tess-draggable', !!p.draggable);
    }
  });

  // ------------------------------------------------------------ page control

  function activeSheet(pc) {
    const ap = pc.p.activePage;
    if (ap === null || ap === -1) return null;
    const k = ap != null ? byId[ap] : null;
    if (k && k.parent === pc) return k;
    return pc.children[0] || null;
  }

  function renderTabs(pc) {
    pc.bar.innerHTML = '';
    const act = activeSheet(pc);
    pc.children.forEach((k) => {
      if (k.p.tabVisible === false || k.p.visible === false) return;
      const t = el('div', 'tess-tab' + (k === act ? ' tess-tab-active' : '') + (k.p.enabled === false ? ' tess-disabled' : ''), pc.bar);
      t.setAttribute('data-sheet', String(k.id));
      t.innerHTML = textOf(k.p.caption);
      t.addEventListener('click', () => selectSheet(pc, k));
    });
  }

  function selectSheet(pc, k) {
    if (k === activeSheet(pc) || !canSend(pc) || k.p.enabled === false) return;
    flushFocused();
    pc.p.activePage = k.id;
    renderTabs(pc);
    pc.children.forEach(applyDisplay);
    sendChange(pc, 'activePage', k.id);
  }

  define('TUniPageControl', {
    props: ['activePage', 'tabsVisible'],
    build: function (c) {
      c.dom = el('div', 'tess-pagecontrol');
      c.bar = el('div', 'tess-tabbar', c.dom);
      c.body = el('div', 'tess-pc-body', c.dom);
    },
    chrome: function (c) { return { l: 0, t: c.p.tabsVisible === false ? 0 : TAB_BAR_H, r: 0, b: 0 }; },
    layoutChildren: function (c, shown, a) { shown.forEach((k) => place(k, 0, 0, a.w, a.h)); },
    // Only the active page shows (and sends events).
    showsChild: function (c, k) { return activeSheet(c) === k; },
    childrenChanged: function (c) { renderTabs(c); c.children.forEach(applyDisplay); },
    update: function (c, key) {
      if (key == null || key === 'tabsVisible') {
        const t = c.p.tabsVisible === false ? 0 : TAB_BAR_H;
        c.bar.style.display = t ? '' : 'none';
        c.body.style.top = t + 'px';
      }
      if (key == null || key === 'activePage') { renderTabs(c); c.children.forEach(applyDisplay); }
    }
  });

  define('TUniTabSheet', {
    props: ['caption', 'tabVisible'],
    build: function (c) { c.dom = el('div', 'tess-tabsheet'); },
    designInner: function (c) { return c.parent ? designInner(c.parent) : innerSize(c); },
    update: function (c, key) {
      if (c.parent && c.parent.bar && (key == null || ['caption', 'tabVisible', 'visible', 'enabled'].indexOf(key) >= 0)) renderTabs(c.parent);
    }
  });

  // --------------------------------------------------------------- splitter

  // A splitter leaves the control it resizes at least this size.
  const MIN_SIZE = 20;

  function splitTarget(c) {
    const al = c.p.align || 'left';
    const sib = c.parent ? c.parent.children : [];
    for (let j = sib.indexOf(c) - 1; j >= 0; j--) {
      const k = sib[j];
      if (k.dom && k.p.visible !== false && (k.p.align || 'none') === al) return k;
    }
    return null;
  }

  define('TUniSplitter', {
    build: function (c) {
      c.dom = el('div', 'tess-splitter');
      if (c.p.width == null) c.p.width = 6;
      if (c.p.height == null) c.p.height = 6;
      c.dom.addEventListener('mousedown', (e) => {
        const t = splitTarget(c);
        if (!t) return;
        const al = c.p.align || 'left';
        const horiz = al === 'left' || al === 'right';
        const s0 = horiz ? num(t.p.width, 0) : num(t.p.height, 0);
        const sign = al === 'left' || al === 'top' ? 1 : -1;
        dragWith(e, (dx, dy) => {
          const v = Math.max(MIN_SIZE, s0 + sign * (horiz ? dx : dy));
          if (horiz) t.p.width = v; else t.p.height = v;
          markLayout(c.parent);
          flushLayout();
        });
      });
    },
    update: function (c) {
      const al = c.p.align || 'left';
      c.dom.classList.toggle('tess-splitter-v', al === 'top' || al === 'bottom');
    }
  });
})(window.Tess.core);
