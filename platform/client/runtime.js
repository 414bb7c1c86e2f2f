/*
 * Tessarine browser runtime.
 *
 * The server owns all UI state. This file renders the component tree it
 * sends, applies the ordered stream of ops, runs the browser timers and
 * reports user actions as events, one request at a time per session.
 *
 * Decisions where the protocol leaves room:
 * - Any node without parent is a form, whatever its cls: the first one is
 *   the main form, later ones (and "TUniDialog") are dialog windows.
 * - Form width/height (main form and dialogs) are the client area; a dialog's
 *   title bar comes on top. The main form fills the window, its width/height
 *   only serve as the reference size for anchors. Dialogs open centred in the
 *   window and can then be dragged by their title.
 * - Anchors are kept against the parent's design size (its width/height
 *   props minus title bar / tab bar); a tab sheet takes its page control's.
 *   Aligned children are placed in the VCL order: all "top" (in child order),
 *   then "bottom", "left", "right", and "client" last.
 * - Panels have no border unless borderStyle is set to something other than
 *   "none"; a panel's color and setBodyStyle apply to its body element.
 * - Tab sheet captions are HTML (icon captions); labels, buttons, check boxes,
 *   list boxes and grids follow their `html` prop; everything else is text.
 * - A grid "select" is followed by a "click" event; a list box item click
 *   sends change "selected" (multiSelect only) and "itemIndex", then "click";
 *   a combo item choice sends change "itemIndex" before change "text".
 *   The right mouse button never changes a selection (tree, list, grid).
 * - Mouse down/up events are reported for labels, grids, trees and list boxes.
 * - Images given as a number index the control's `images` (an array, or the
 *   id of an image list component); a string without "/" or "." is an icon
 *   class (e.g. "fas fa-folder"), anything else a URL.
 * - A timer with interval <= 0 does not tick. A tick that comes while the
 *   same timer's tick is queued (not yet sent) is dropped.
 * - F3/F4 defaults are always prevented; F5 and Ctrl+R only with
 *   config.disableRefresh.
 * - A request unanswered after 60 s counts as a network failure: the overlay
 *   shows and the same body is sent again.
 * - The upload window opens on every "set show true" and clears `show` on
 *   the client when it closes.
 * - Op {op:"front", c} brings a control to the front among its siblings.
 */
(function () {
  'use strict';

  // Sizes of the chrome that the layout computes with; tessarine.css draws
  // these elements with the same heights.
  const PANEL_TITLE_H = 26;
  const TAB_BAR_H = 28;
  const WINDOW_TITLE_H = 30;
  const REQUEST_TIMEOUT_MS = 60000;
  const RETRY_MS = 2000;
  const RESIZE_DEBOUNCE_MS = 200;

  const byId = Object.create(null);
  const forms = [];
  const queue = [];            // {ev, mask}
  let inflight = null;         // {body, seq, masks}
  let seq = 0;
  let sid = '';
  let config = {};
  let terminated = false;
  let booted = false;
  let retryTimer = 0;
  let resizeTimer = 0;
  let maskCount = 0;
  let zTop = 1000;
  const dirty = new Set();

  // ---------------------------------------------------------------- helpers

  function el(tag, cls, parent) {
    const e = document.createElement(tag);
    if (cls) e.className = cls;
    if (parent) parent.appendChild(e);
    return e;
  }

  function esc(s) {
    return String(s == null ? '' : s).replace(/[&<>"']/g, (ch) =>
      ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;' }[ch]));
  }

  function setContent(e, text, html) {
    const s = text == null ? '' : String(text);
    if (html) e.innerHTML = s; else e.textContent = s;
  }

  function shiftOf(e) {
    return { shift: !!e.shiftKey, ctrl: !!e.ctrlKey, alt: !!e.altKey };
  }

  function num(v, def) {
    return typeof v === 'number' && isFinite(v) ? v : def;
  }

  // The image entries a control refers to by index.
  function imageList(c) {
    const v = c && c.p.images;
    if (Array.isArray(v)) return v;
    if (v != null) {
      const list = byId[v];
      if (list && Array.isArray(list.p.images)) return list.p.images;
    }
    return [];
  }

  const TOOL_ICONS = {
    arrow_down: 'fas fa-arrow-down', arrow_up: 'fas fa-arrow-up', down: 'fas fa-chevron-down',
    up: 'fas fa-chevron-up', left: 'fas fa-chevron-left', right: 'fas fa-chevron-right',
    close: 'fas fa-times', refresh: 'fas fa-sync-alt', plus: 'fas fa-plus', minus: 'fas fa-minus',
    gear: 'fas fa-cog', search: 'fas fa-search', help: 'fas fa-question', save: 'fas fa-save',
    print: 'fas fa-print', maximize: 'fas fa-expand', restore: 'fas fa-compress', pin: 'fas fa-thumbtack'
  };

  function iconHtml(c, image) {
    if (image == null || image === '') return '';
    if (typeof image === 'number') return image < 0 ? '' : iconHtml(null, imageList(c)[image]);
    const s = String(image);
    if (TOOL_ICONS[s]) return '<i class="tess-icon ' + TOOL_ICONS[s] + '"></i>';
    if (!/[\/.]/.test(s)) return '<i class="tess-icon ' + esc(s) + '"></i>';
    return '<img class="tess-icon" src="' + esc(s) + '" alt="">';
  }

  const domComp = new WeakMap();

  // The component whose element holds a DOM node.
  function compOf(node) {
    for (let n = node; n && n !== document; n = n.parentNode) {
      const c = domComp.get(n);
      if (c && byId[c.id] === c) return c;
    }
    return null;
  }

  function localPos(c, e) {
    const r = c.dom.getBoundingClientRect();
    return { x: Math.round(e.clientX - r.left), y: Math.round(e.clientY - r.top) };
  }

  // --------------------------------------------------------- event queue

  // Events only leave for components that are showing and enabled: the
  // component and every parent visible and enabled, each tab sheet the
  // active page of its page control.
  function canSend(c) {
    if (!c || byId[c.id] !== c) return false;
    for (let x = c; x; x = x.parent) {
      if (x.p.visible === false || x.p.enabled === false) return false;
      const par = x.parent;
      if (par && par.cls === 'TUniPageControl' && activeSheet(par) !== x) return false;
    }
    return true;
  }

  function enqueue(ev, mask) {
    if (terminated || !booted) return;
    if (ev.t === 'timer' && queue.some((q) => q.ev.t === 'timer' && q.ev.c === ev.c)) return;
    if (ev.t === 'resize') {
      const waiting = queue.find((q) => q.ev.t === 'resize');
      if (waiting) { waiting.ev.w = ev.w; waiting.ev.h = ev.h; return; }
    }
    if (mask) showScreenMask(mask);
    queue.push({ ev: ev, mask: mask ? 1 : 0 });
    pump();
  }

  // The value typed into the focused input goes out before the action
  // that follows it.
  function flushFocused() {
    const c = compOf(document.activeElement);
    if (c && c.commit) c.commit();
  }

  // A user action on a control.
  function userEvent(c, ev, mask) {
    if (!canSend(c)) return;
    flushFocused();
    enqueue(ev, mask);
  }

  function sendChange(c, prop, value) {
    if (!canSend(c)) return;
    enqueue({ t: 'change', c: c.id, p: prop, v: value });
  }

  function pump() {
    if (inflight || terminated || !queue.length) return;
    const items = queue.splice(0, queue.length);
    seq += 1;
    inflight = {
      seq: seq,
      body: JSON.stringify({ sid: sid, seq: seq, events: items.map((q) => q.ev) }),
      masks: items.reduce((n, q) => n + q.mask, 0)
    };
    post();
  }

  function post() {
    retryTimer = 0;
    if (terminated || !inflight) return;
    const req = inflight;
    const ctl = typeof AbortController === 'function' ? new AbortController() : null;
    const timeout = setTimeout(() => { if (ctl) ctl.abort(); }, REQUEST_TIMEOUT_MS);
    fetch('/ajax', {
      method: 'POST', headers: { 'Content-Type': 'application/json' }, body: req.body,
      cache: 'no-store', signal: ctl ? ctl.signal : undefined
    }).then((r) => {
      if (!r.ok) throw new Error('HTTP ' + r.status);
      return r.json();
    }).then((answer) => {
      clearTimeout(timeout);
      if (terminated || inflight !== req) return;
      hideRetry();
      if (answer && answer.gone) { restart(); return; }
      inflight = null;
      try {
        applyOps((answer && answer.ops) || []);
      } finally {
        // Whatever an op did, the queue must go on.
        hideScreenMask(req.masks);
        pump();
      }
    }, () => {
      clearTimeout(timeout);
      if (terminated || inflight !== req) return;
      showRetry();
      retryTimer = setTimeout(post, RETRY_MS);
    });
  }

  // The session is gone (server restarted, timed out): a new page load
  // starts a new one. A venue screen must come back without anyone there.
  function restart() {
    stopAll();
    location.reload();
  }

  function stopAll() {
    terminated = true;
    clearTimeout(retryTimer);
    clearTimeout(resizeTimer);
    for (const id in byId) {
      const c = byId[id];
      if (c.tid) { clearTimeout(c.tid); c.tid = 0; }
    }
  }

  // ------------------------------------------------------- overlays, masks

  function showRetry() {
    let o = document.getElementById('tess-retry');
    if (!o) {
      o = el('div', 'tess-overlay tess-retry', document.body);
      o.id = 'tess-retry';
      const box = el('div', 'tess-retry-box', o);
      el('div', 'tess-retry-error', box).textContent = config.errorMessage || 'Connection Error';
      el('div', 'tess-retry-msg', box).textContent = config.retryMessage || 'Retrying...';
    }
    o.style.display = '';
  }

  function hideRetry() {
    const o = document.getElementById('tess-retry');
    if (o) o.style.display = 'none';
  }

  function maskText(m) {
    if (m && typeof m === 'object') return String(m.message || m.text || '');
    return String(m);
  }

  function showScreenMask(m) {
    maskCount += 1;
    let o = document.getElementById('tess-screenmask');
    if (!o) {
      o = el('div', 'tess-overlay tess-screenmask', document.body);
      o.id = 'tess-screenmask';
      const box = el('div', 'tess-screenmask-box', o);
      el('i', 'fas fa-spinner fa-pulse', box);
      el('span', 'tess-screenmask-text', box);
    }
    o.querySelector('.tess-screenmask-text').textContent = maskText(m);
    o.style.display = '';
  }

  function hideScreenMask(n) {
    if (!n) return;
    maskCount = Math.max(0, maskCount - n);
    const o = document.getElementById('tess-screenmask');
    if (o && maskCount === 0) o.style.display = 'none';
  }

  // ------------------------------------------------------------ components

  const classes = Object.create(null);

  function setStyleProp(e, k, v) {
    k = String(k).trim();
    if (!k) return;
    const name = k.indexOf('-') >= 0 ? k : k.replace(/[A-Z]/g, (m) => '-' + m.toLowerCase());
    e.style.setProperty(name, v == null ? '' : String(v));
  }

  // Methods every client object has; the server's scripts use setBodyStyle
  // on panels, the others are the usual ExtJS spellings.
  const CompProto = {
    setBodyStyle: function (prop, value) {
      const b = this.body || this.dom;
      if (!b || prop == null) return;
      if (typeof prop === 'object') {
        for (const k in prop) setStyleProp(b, k, prop[k]);
      } else if (value === undefined && String(prop).indexOf(':') >= 0) {
        String(prop).split(';').forEach((decl) => {
          const i = decl.indexOf(':');
          if (i > 0) setStyleProp(b, decl.slice(0, i), decl.slice(i + 1).trim());
        });
      } else {
        setStyleProp(b, prop, value);
      }
    },
    setVisible: function (v) { setProp(this, 'visible', !!v); flushLayout(); },
    show: function () { this.setVisible(true); },
    hide: function () { this.setVisible(false); },
    getEl: function () { return this.el; }
  };

  // The element wrapper behind `<control>.el`.
  function makeEl(c) {
    return {
      dom: c.dom || null,
      fadeIn: function (o) { fade(this, 1, o); return this; },
      fadeOut: function (o) { fade(this, 0, o); return this; },
      setStyle: function (prop, value) {
        if (!this.dom) return this;
        if (typeof prop === 'object') { for (const k in prop) setStyleProp(this.dom, k, prop[k]); }
        else setStyleProp(this.dom, prop, value);
        return this;
      },
      setOpacity: function (o) { if (this.dom) this.dom.style.opacity = String(o); return this; },
      addCls: function (k) { if (this.dom) this.dom.classList.add(k); return this; },
      removeCls: function (k) { if (this.dom) this.dom.classList.remove(k); return this; }
    };
  }

  // Opacity animation. fadeOut ends at opacity 0 with visibility hidden, so
  // the control keeps its box; fadeIn always runs from 0 to 1. A new fade
  // cancels the running one (cross-fades come in quick pairs).
  function fade(w, to, o) {
    const dom = w.dom;
    if (!dom) return;
    const duration = Math.max(0, num(o && o.duration, 250));
    const token = {};
    if (w._fade) clearTimeout(w._fade.t);
    w._fade = token;
    let from = 0;
    if (!to) {
      from = dom.style.visibility === 'hidden' ? 0 : (dom.style.opacity === '' ? 1 : parseFloat(dom.style.opacity) || 0);
    } else {
      dom.style.visibility = '';
    }
    dom.style.opacity = String(from);
    const start = performance.now();
    const finish = () => {
      if (w._fade !== token) return;
      w._fade = null;
      clearTimeout(token.t);
      if (to) {
        dom.style.opacity = '';
      } else {
        dom.style.opacity = '0';
        dom.style.visibility = 'hidden';
      }
      if (o && typeof o.callback === 'function') {
        try { o.callback(); } catch (e) { console.error(e); }
      }
    };
    if (!duration) { finish(); return; }
    const step = (now) => {
      if (w._fade !== token) return;
      const k = Math.min(1, Math.max(0, (now - start) / duration));
      if (k >= 1) { finish(); return; }
      dom.style.opacity = String(from + (to - from) * k);
      requestAnimationFrame(step);
    };
    requestAnimationFrame(step);
    // A hidden tab gets no animation frames; the end state comes anyway.
    token.t = setTimeout(finish, duration + 100);
  }

  function mainForm() {
    return forms.find((f) => !f.dialog) || null;
  }

  function create(node, parent, index) {
    let def = classes[node.cls] || classes.generic;
    // A node without parent is a form whatever its class is called (forms
    // may carry their application class name): the first is the main form,
    // later ones are dialogs.
    if (!parent) def = node.cls !== 'TUniDialog' && !mainForm() ? classes.TUniForm : classes.TUniDialog;
    const c = Object.create(CompProto);
    c.id = node.id;
    c.cls = node.cls;
    c.name = node.name || '';
    c.js = node.js || ('O' + node.id);
    c.p = Object.assign({}, node.p || {});
    c.parent = parent || null;
    c.children = [];
    c.def = def;
    c.dom = null;
    c.body = null;
    c.rect = null;
    if (byId[c.id]) destroy(byId[c.id]);
    byId[c.id] = c;
    if (def.build) def.build(c);
    if (c.dom) {
      c.dom.id = c.js;
      c.dom.setAttribute('data-component', c.name);
      c.dom.classList.add('tess-c');
      domComp.set(c.dom, c);
      if (!c.body) c.body = c.dom;
    }
    c.el = makeEl(c);
    window[c.js] = c;
    if (parent) attach(c, parent, index);
    else forms.push(c);
    applyCommon(c, null);
    if (def.update) def.update(c, null);
    (node.ch || []).forEach((k) => { create(k, c, c.children.length); });
    if (def.ready) def.ready(c);
    if (parent && parent.def.childrenChanged) parent.def.childrenChanged(parent);
    markLayout(parent || c);
    return c;
  }

  function attach(c, parent, index) {
    const n = parent.children.length;
    index = Math.max(0, Math.min(num(index, n), n));
    parent.children.splice(index, 0, c);
    if (!c.dom || c.def.floating) return;
    const box = parent.body || parent.dom;
    if (!box) return;
    let next = null;
    for (let i = index + 1; i < parent.children.length; i++) {
      const k = parent.children[i];
      if (k.dom && k.dom.parentNode === box) { next = k.dom; break; }
    }
    box.insertBefore(c.dom, next);
  }

  function destroy(c) {
    if (!c || byId[c.id] !== c) return;
    c.children.slice().forEach(destroy);
    if (c.def.destroy) c.def.destroy(c);
    if (c.tid) { clearTimeout(c.tid); c.tid = 0; }
    if (c.dom && c.dom.parentNode) c.dom.parentNode.removeChild(c.dom);
    delete byId[c.id];
    if (window[c.js] === c) delete window[c.js];
    dirty.delete(c);
    const par = c.parent;
    if (par) {
      const i = par.children.indexOf(c);
      if (i >= 0) par.children.splice(i, 1);
      if (byId[par.id] === par) {
        if (par.def.childrenChanged) par.def.childrenChanged(par);
        markLayout(par);
      }
    } else {
      const i = forms.indexOf(c);
      if (i >= 0) forms.splice(i, 1);
    }
  }

  // Brings a control to the front of its siblings (last in z-order).
  function bringToFront(c) {
    const par = c.parent;
    if (!par) {
      if (c.dom) { c.z = (zTop += 2); c.dom.style.zIndex = c.z; if (c.mask) c.mask.style.zIndex = c.z - 1; }
      return;
    }
    const i = par.children.indexOf(c);
    if (i >= 0) par.children.splice(i, 1);
    par.children.push(c);
    if (c.dom && c.dom.parentNode) c.dom.parentNode.appendChild(c.dom);
    if (par.def.childrenChanged) par.def.childrenChanged(par);
    markLayout(par);
  }

  const LAYOUT_KEYS = new Set(['visible', 'left', 'top', 'width', 'height', 'align', 'anchors', 'title', 'autoSize',
    'titleVisible', 'collapsed', 'tabsVisible', 'borderStyle', 'fieldLabel', 'labelWidth', 'position']);

  function setProp(c, key, v) {
    // A list changed only at its ends comes as that edit: lines dropped from
    // the front, lines kept after them, lines appended.
    if (key === 'lines' && v && !Array.isArray(v) && Array.isArray(v.append)) {
      if (!Array.isArray(c.p.lines)) c.p.lines = [];
      const lines = c.p.lines;
      const drop = Math.min(Math.max(num(v.drop, 0), 0), lines.length);
      const keep = v.keep == null ? lines.length - drop : Math.min(Math.max(num(v.keep, 0), 0), lines.length - drop);
      if (c.def.editLines) c.def.editLines(c, drop, keep, v.append);
      lines.splice(drop + keep);
      lines.splice(0, drop);
      for (let i = 0; i < v.append.length; i++) lines.push(String(v.append[i]));
      if (!c.def.editLines && c.def.update) c.def.update(c, key);
      return;
    }
    c.p[key] = v;
    applyCommon(c, key);
    if (c.def.update) c.def.update(c, key);
    if (LAYOUT_KEYS.has(key)) markLayout(c.parent || c);
  }

  function cursorCss(v) {
    if (!v) return '';
    const s = String(v).replace(/^cr/, '').toLowerCase();
    return { hand: 'pointer', handpoint: 'pointer', arrow: 'default', ibeam: 'text', cross: 'crosshair',
      hourglass: 'wait', no: 'not-allowed', sizeall: 'move' }[s] || s;
  }

  function applyFont(e, f) {
    const s = e.style;
    f = f && typeof f === 'object' ? f : {};
    s.fontFamily = f.name ? String(f.name) : '';
    s.fontSize = typeof f.size === 'number' ? f.size + 'px' : (f.size ? String(f.size) : '');
    s.color = f.color ? String(f.color) : '';
    s.fontWeight = f.bold ? 'bold' : '';
    s.fontStyle = f.italic ? 'italic' : '';
    s.textDecoration = f.underline ? 'underline' : '';
  }

  function applyColor(c) {
    const t = c.colorEl || c.dom;
    if (!t) return;
    const transparent = c.def.transparent && c.def.transparent(c);
    t.style.backgroundColor = c.p.color && !transparent ? String(c.p.color) : '';
  }

  function applyDisplay(c) {
    if (!c.dom) return;
    let shown = c.p.visible !== false;
    if (c.parent && c.parent.cls === 'TUniPageControl') shown = shown && activeSheet(c.parent) === c;
    c.dom.style.display = shown ? '' : 'none';
    if (c.def.display) c.def.display(c, shown);
  }

  function applyCommon(c, key) {
    const all = key == null;
    const p = c.p;
    const d = c.dom;
    if (key === 'name' && typeof p.name === 'string') c.name = p.name;
    if (!d) return;
    if (all || key === 'name') d.setAttribute('data-component', c.name);
    if (all || key === 'visible') applyDisplay(c);
    if (all || key === 'enabled') {
      d.classList.toggle('tess-disabled', p.enabled === false);
      // Fields disable their input; other controls say how.
      if (c.def.enable) c.def.enable(c, p.enabled !== false);
      else if (c.input) c.input.disabled = p.enabled === false;
    }
    if (all || key === 'hint' || key === 'showHint') {
      const h = p.hint;
      if (h && p.showHint !== false) d.title = String(h).replace(/<[^>]*>/g, '');
      else d.removeAttribute('title');
    }
    if (all || key === 'cls') {
      (c._cls || []).forEach((k) => d.classList.remove(k));
      c._cls = String(p.cls || '').split(/\s+/).filter(Boolean);
      c._cls.forEach((k) => d.classList.add(k));
    }
    if (all || key === 'color') applyColor(c);
    if (all || key === 'font') applyFont(c.fontEl || d, p.font);
    if (all || key === 'cursor') d.style.cursor = cursorCss(p.cursor);
    if (all || key === 'style') {
      (c._style || []).forEach((k) => d.style.removeProperty(k));
      c._style = [];
      const st = p.style;
      const decls = st && typeof st === 'object' ? Object.keys(st).map((k) => [k, st[k]])
        : String(st || '').split(';').map((x) => { const i = x.indexOf(':'); return i > 0 ? [x.slice(0, i), x.slice(i + 1).trim()] : null; }).filter(Boolean);
      decls.forEach((kv) => {
        const name = String(kv[0]).trim().replace(/[A-Z]/g, (m) => '-' + m.toLowerCase());
        d.style.setProperty(name, String(kv[1]));
        c._style.push(name);
      });
    }
  }

  // ---------------------------------------------------------------- layout

  const NO_CHROME = { l: 0, t: 0, r: 0, b: 0 };

  function chrome(c) { return c.def.chrome ? c.def.chrome(c) : NO_CHROME; }

  function innerSize(c) {
    const ch = chrome(c);
    const r = c.rect || { w: 0, h: 0 };
    return { w: Math.max(0, r.w - ch.l - ch.r), h: Math.max(0, r.h - ch.t - ch.b) };
  }

  // The size the parent had when its children's positions were designed;
  // anchors keep the distances to it.
  function designInner(c) {
    if (c.def.designInner) return c.def.designInner(c);
    const ch = chrome(c);
    const act = innerSize(c);
    // An aligned control without a stored size had its parent's size along
    // the aligned side.
    const al = c.p.align || 'none';
    const pd = c.parent && al !== 'none' ? designInner(c.parent) : null;
    const w = typeof c.p.width === 'number' ? c.p.width
      : (pd && al !== 'left' && al !== 'right' ? pd.w : null);
    const h = typeof c.p.height === 'number' ? c.p.height
      : (pd && al !== 'top' && al !== 'bottom' ? pd.h : null);
    return {
      w: w != null ? w - ch.l - ch.r : act.w,
      h: h != null ? h - ch.t - ch.b : act.h
    };
  }

  function heightOf(k) {
    return k.def.outerHeight ? k.def.outerHeight(k) : num(k.p.height, 0);
  }

  function place(c, l, t, w, h) {
    l = Math.round(l); t = Math.round(t);
    w = w == null ? null : Math.max(0, Math.round(w));
    h = h == null ? null : Math.max(0, Math.round(h));
    c.rect = { l: l, t: t, w: w || 0, h: h || 0 };
    const key = l + ',' + t + ',' + w + ',' + h;
    if (c._rk === key) return;
    c._rk = key;
    const s = c.dom.style;
    s.left = l + 'px';
    s.top = t + 'px';
    s.width = w == null ? '' : w + 'px';
    s.height = h == null ? '' : h + 'px';
    if (c.def.resized) c.def.resized(c);
  }

  function placeAnchored(k, a, ref) {
    const an = Array.isArray(k.p.anchors) ? k.p.anchors : ['left', 'top'];
    const dw = a.w - ref.w;
    const dh = a.h - ref.h;
    let l = num(k.p.left, 0);
    let t = num(k.p.top, 0);
    const auto = k.p.autoSize === true && k.def.autoSize;
    let w = typeof k.p.width === 'number' && !auto ? k.p.width : null;
    let h = (typeof k.p.height === 'number' || k.def.outerHeight) && !auto ? heightOf(k) : null;
    const L = an.indexOf('left') >= 0, R = an.indexOf('right') >= 0;
    const T = an.indexOf('top') >= 0, B = an.indexOf('bottom') >= 0;
    if (L && R) w = (w || 0) + dw; else if (R) l += dw; else if (!L) l += dw / 2;
    if (T && B) h = (h || 0) + dh; else if (B) t += dh; else if (!T) t += dh / 2;
    place(k, l, t, w, h);
  }

  function layoutChildren(c) {
    const kids = c.children.filter((k) => k.dom && !k.def.floating);
    if (!kids.length) return;
    const shown = kids.filter((k) => k.p.visible !== false);
    const a = innerSize(c);
    if (c.def.layoutChildren) {
      c.def.layoutChildren(c, shown, a);
    } else {
      const ref = designInner(c);
      const r = { l: 0, t: 0, r: a.w, b: a.h };
      const of = (al) => shown.filter((k) => (k.p.align || 'none') === al);
      of('top').forEach((k) => { const h = heightOf(k); place(k, r.l, r.t, r.r - r.l, h); r.t += h; });
      of('bottom').forEach((k) => { const h = heightOf(k); place(k, r.l, r.b - h, r.r - r.l, h); r.b -= h; });
      of('left').forEach((k) => { const w = num(k.p.width, 0); place(k, r.l, r.t, w, r.b - r.t); r.l += w; });
      of('right').forEach((k) => { const w = num(k.p.width, 0); place(k, r.r - w, r.t, w, r.b - r.t); r.r -= w; });
      of('client').forEach((k) => { place(k, r.l, r.t, r.r - r.l, r.b - r.t); });
      of('none').forEach((k) => { placeAnchored(k, a, ref); });
      shown.filter((k) => ['top', 'bottom', 'left', 'right', 'client', 'none'].indexOf(k.p.align || 'none') < 0)
        .forEach((k) => { placeAnchored(k, a, ref); });
    }
    shown.forEach((k) => { if (k.rect && k.children.length) layoutChildren(k); });
  }

  function markLayout(c) { if (c) dirty.add(c); }

  function layoutFrom(c) {
    if (!c.parent) {
      if (c.def.placeForm) c.def.placeForm(c);
      layoutChildren(c);
    } else if (!c.rect) {
      layoutFrom(c.parent);
    } else {
      layoutChildren(c);
    }
  }

  // Grids and lists changed by several properties of one batch are drawn
  // once, before the layout that may depend on their content.
  const pendingRender = new Set();
  function renderLater(c) { pendingRender.add(c); }

  function flushLayout() {
    if (pendingRender.size) {
      const todo = Array.from(pendingRender);
      pendingRender.clear();
      todo.forEach((c) => { if (byId[c.id] === c && c.def.render) c.def.render(c); });
    }
    if (!dirty.size) return;
    const set = new Set(Array.from(dirty).filter((c) => byId[c.id] === c));
    dirty.clear();
    set.forEach((c) => {
      for (let a = c.parent; a; a = a.parent) if (set.has(a)) return;
      layoutFrom(c);
    });
  }

  // Dragging with the mouse: calls move(dx, dy) while the button is down.
  function dragWith(e, move, end) {
    if (e.button !== 0) return;
    e.preventDefault();
    const x0 = e.clientX, y0 = e.clientY;
    const mm = (ev) => { move(ev.clientX - x0, ev.clientY - y0); };
    const mu = () => {
      document.removeEventListener('mousemove', mm, true);
      document.removeEventListener('mouseup', mu, true);
      if (end) end();
    };
    document.addEventListener('mousemove', mm, true);
    document.addEventListener('mouseup', mu, true);
  }

  // ------------------------------------------------------ shared behaviour

  function mouseEvents(c, skip) {
    const send = (k) => (e) => {
      if (compOf(e.target) !== c || (skip && skip(e))) return;
      const pos = localPos(c, e);
      userEvent(c, { t: 'mouse', c: c.id, k: k, b: e.button, x: pos.x, y: pos.y, shift: shiftOf(e) });
    };
    c.dom.addEventListener('mousedown', send('down'));
    c.dom.addEventListener('mouseup', send('up'));
  }

  function clickEvents(c, target) {
    (target || c.dom).addEventListener('click', (e) => {
      if (compOf(e.target) !== c) return;
      userEvent(c, { t: 'click', c: c.id }, c.p.screenMask);
    });
  }

  function dblclickEvents(c, skip) {
    c.dom.addEventListener('dblclick', (e) => {
      if (compOf(e.target) !== c || (skip && skip(e))) return;
      userEvent(c, { t: 'dblclick', c: c.id });
    });
  }

  // An input with an optional field label on its left.
  function buildField(c, input, extra) {
    c.dom = el('div', 'tess-field ' + (extra || ''));
    c.label = el('label', 'tess-fieldlabel', c.dom);
    c.wrap = el('div', 'tess-field-wrap', c.dom);
    c.input = input;
    c.wrap.appendChild(input);
    c.fontEl = c.dom;
    c.colorEl = input;
  }

  function updateFieldLabel(c, key) {
    if (key != null && key !== 'fieldLabel' && key !== 'labelWidth') return;
    const t = c.p.fieldLabel;
    if (t != null && t !== '') {
      c.label.style.display = '';
      c.label.textContent = String(t);
      c.label.style.width = num(c.p.labelWidth, 100) + 'px';
    } else {
      c.label.style.display = 'none';
    }
  }

  function textOf(v) { return v == null ? '' : String(v); }

  // ----------------------------------------------------------------- forms

  classes.TUniForm = {
    build: function (c) {
      c.dom = el('div', 'tess-form tess-mainform', document.body);
    },
    placeForm: function (c) {
      c.rect = { l: 0, t: 0, w: window.innerWidth, h: window.innerHeight };
    },
    designInner: function (c) {
      const r = c.rect || { w: 0, h: 0 };
      return { w: num(c.p.width, r.w), h: num(c.p.height, r.h) };
    }
  };

  function windowTitleH(c) { return c.p.titleVisible === false ? 0 : WINDOW_TITLE_H; }

  // A floating window (dialog form, upload window): title bar with close X,
  // a body, and a mask behind it while modal.
  function buildWindow(c, cls, onClose) {
    c.mask = el('div', 'tess-modal-mask', document.body);
    c.dom = el('div', 'tess-window ' + cls, document.body);
    c.titleBar = el('div', 'tess-window-title', c.dom);
    c.titleText = el('span', 'tess-window-caption', c.titleBar);
    c.closeBtn = el('span', 'tess-window-close', c.titleBar);
    c.closeBtn.innerHTML = '<i class="fas fa-times"></i>';
    c.closeBtn.addEventListener('click', onClose);
    c.body = el('div', 'tess-window-body', c.dom);
    c.z = (zTop += 2);
    c.mask.style.zIndex = c.z - 1;
    c.dom.style.zIndex = c.z;
    c.titleBar.addEventListener('mousedown', (e) => {
      if (e.target.closest('.tess-window-close') || !c.pos) return;
      const x0 = c.pos.x, y0 = c.pos.y;
      dragWith(e, (dx, dy) => {
        c.pos = { x: Math.max(0, x0 + dx), y: Math.max(0, y0 + dy) };
        c.moved = true;
        c.dom.style.left = c.pos.x + 'px';
        c.dom.style.top = c.pos.y + 'px';
        if (c.rect) { c.rect.l = c.pos.x; c.rect.t = c.pos.y; }
      });
    });
  }

  function placeWindow(c, w, ih) {
    const th = windowTitleH(c);
    if (!c.moved || !c.pos) {
      c.pos = {
        x: Math.max(0, Math.round((window.innerWidth - w) / 2)),
        y: Math.max(0, Math.round((window.innerHeight - ih - th) / 2))
      };
    }
    c.rect = { l: c.pos.x, t: c.pos.y, w: w, h: ih + th };
    const s = c.dom.style;
    s.left = c.pos.x + 'px';
    s.top = c.pos.y + 'px';
    s.width = w + 'px';
    s.height = (ih + th) + 'px';
    c.titleBar.style.display = th ? '' : 'none';
    c.body.style.top = th + 'px';
  }

  classes.TUniDialog = {
    floating: true,
    build: function (c) {
      c.dialog = true;
      buildWindow(c, 'tess-dialog', () => userEvent(c, { t: 'close', c: c.id }));
      c.dom.addEventListener('mousedown', () => { if (!c.p.modal && forms.some((f) => f.dialog && f.z > c.z)) bringToFront(c); });
    },
    chrome: function (c) { return { l: 0, t: windowTitleH(c), r: 0, b: 0 }; },
    designInner: function (c) { return { w: num(c.p.width, 400), h: num(c.p.height, 300) }; },
    placeForm: function (c) { placeWindow(c, num(c.p.width, 400), num(c.p.height, 300)); },
    display: function (c, shown) { c.mask.style.display = shown && c.p.modal ? '' : 'none'; },
    update: function (c, key) {
      const all = key == null;
      if (all || key === 'caption') c.titleText.textContent = textOf(c.p.caption);
      if (all || key === 'modal') applyDisplay(c);
      if (all || key === 'closable') c.closeBtn.style.display = c.p.closable === false ? 'none' : '';
      if (all && (c.p.position === 'design' || c.p.position === 'poDesigned')) {
        c.pos = { x: num(c.p.left, 0), y: num(c.p.top, 0) };
        c.moved = true;
      }
      if (key === 'left' || key === 'top') {
        c.pos = { x: num(c.p.left, 0), y: num(c.p.top, 0) };
        c.moved = true;
      }
    },
    destroy: function (c) { if (c.mask.parentNode) c.mask.parentNode.removeChild(c.mask); }
  };

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

  classes.TUniPanel = {
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
      if (all || key === 'caption' || key === 'html') setContent(c.captionEl, p.caption, p.html);
      if (all || key === 'alignment') c.captionEl.style.textAlign = p.alignment || '';
      if (all || key === 'draggable') c.dom.classList.toggle('tess-draggable', !!p.draggable);
    }
  };

  // ---------------------------------------------------------------- labels

  classes.TUniLabel = {
    autoSize: true,
    build: function (c) {
      c.dom = el('div', 'tess-label');
      mouseEvents(c);
      clickEvents(c);
      dblclickEvents(c);
    },
    transparent: function (c) { return c.p.transparent === true; },
    update: function (c, key) {
      const all = key == null;
      const p = c.p;
      // The caption changes inside the same element: fades that run
      // right after a caption change act on what the viewer sees.
      if (all || key === 'caption' || key === 'html') {
        setContent(c.dom, p.caption, p.html);
        c.dom.classList.toggle('tess-label-html', !!p.html);
      }
      if (all || key === 'transparent') applyColor(c);
      if (all || key === 'alignment') c.dom.style.textAlign = p.alignment || '';
      if (all || key === 'wordWrap') c.dom.classList.toggle('tess-wrap', !!p.wordWrap);
    }
  };

  // --------------------------------------------------------------- buttons

  function buttonClass(extra) {
    return {
      build: function (c) {
        c.dom = el('button', 'tess-button ' + extra);
        c.dom.type = 'button';
        c.dom.addEventListener('click', () => userEvent(c, { t: 'click', c: c.id }, c.p.screenMask));
      },
      enable: function (c, on) { c.dom.disabled = !on; },
      update: function (c, key) {
        const p = c.p;
        if (key == null || key === 'caption' || key === 'html') setContent(c.dom, p.caption, p.html);
        if (key == null || key === 'flat') c.dom.classList.toggle('tess-flat', !!p.flat);
        if (key == null || key === 'tabStop') c.dom.tabIndex = p.tabStop === false ? -1 : 0;
      }
    };
  }

  classes.TUniButton = buttonClass('tess-btn');
  classes.TUniSpeedButton = buttonClass('tess-speedbutton');
  classes.TUniBitBtn = buttonClass('tess-bitbtn');

  // ----------------------------------------------------------------- edits

  // A one-line text field whose text goes to the server as "text" when it
  // changed (on change, or when c.commit() is called).
  function textField(c, extra) {
    const input = el('input', 'tess-input');
    input.type = 'text';
    input.autocomplete = 'off';
    buildField(c, input, extra);
    c.sent = '';
    c.commit = function () {
      if (input.value === c.sent) return;
      c.sent = input.value;
      c.p.text = input.value;
      sendChange(c, 'text', input.value);
    };
    input.addEventListener('change', () => c.commit());
    return input;
  }

  classes.TUniEdit = {
    build: function (c) {
      const input = textField(c, 'tess-edit');
      c.clear = el('span', 'tess-clear', c.wrap);
      c.clear.innerHTML = '<i class="fas fa-times"></i>';
      c.clear.addEventListener('mousedown', (e) => { e.preventDefault(); });
      c.clear.addEventListener('click', () => {
        if (!canSend(c) || c.p.readOnly) return;
        input.value = '';
        c.commit();
        updateClear(c);
      });
      input.addEventListener('input', () => updateClear(c));
      input.addEventListener('keydown', (e) => { if (e.key === 'Enter') c.commit(); });
    },
    update: function (c, key) {
      const all = key == null;
      const p = c.p;
      const input = c.input;
      updateFieldLabel(c, key);
      if (all || key === 'text') { input.value = textOf(p.text); c.sent = input.value; }
      if (all || key === 'emptyText') input.placeholder = textOf(p.emptyText);
      if (all || key === 'passwordChar') input.type = p.passwordChar ? 'password' : 'text';
      if (all || key === 'maxLength') {
        if (num(p.maxLength, 0) > 0) input.maxLength = p.maxLength; else input.removeAttribute('maxlength');
      }
      if (all || key === 'readOnly') input.readOnly = !!p.readOnly;
      if (all || key === 'alignment') input.style.textAlign = p.alignment || '';
      updateClear(c);
    }
  };

  function updateClear(c) {
    c.clear.style.display = c.p.clearButton && c.input.value !== '' && !c.p.readOnly ? '' : 'none';
  }

  classes.TUniSpinEdit = {
    build: function (c) {
      const input = el('input', 'tess-input');
      input.type = 'number';
      input.step = '1';
      buildField(c, input, 'tess-spinedit');
      c.sent = null;
      c.commit = function () {
        let v = parseInt(input.value, 10);
        if (isNaN(v)) { input.value = c.sent == null ? '' : String(c.sent); return; }
        if (typeof c.p.min === 'number' && v < c.p.min) v = c.p.min;
        if (typeof c.p.max === 'number' && v > c.p.max && c.p.max > num(c.p.min, -Infinity)) v = c.p.max;
        input.value = String(v);
        if (v === c.sent) return;
        c.sent = v;
        c.p.value = v;
        sendChange(c, 'value', v);
      };
      input.addEventListener('change', () => c.commit());
      input.addEventListener('keydown', (e) => { if (e.key === 'Enter') c.commit(); });
    },
    update: function (c, key) {
      const all = key == null;
      const p = c.p;
      updateFieldLabel(c, key);
      if (all || key === 'value') {
        c.sent = typeof p.value === 'number' ? p.value : (p.value == null ? 0 : parseInt(p.value, 10) || 0);
        c.input.value = String(c.sent);
      }
      if (all || key === 'min') { if (typeof p.min === 'number') c.input.min = String(p.min); else c.input.removeAttribute('min'); }
      if (all || key === 'max') {
        // VCL: MaxValue 0 (with MinValue 0) means no limit.
        if (typeof p.max === 'number' && p.max > num(p.min, -Infinity)) c.input.max = String(p.max); else c.input.removeAttribute('max');
      }
      if (all || key === 'readOnly') c.input.readOnly = !!p.readOnly;
    }
  };

  function memoLines(text) {
    if (text === '') return [];
    const lines = text.split(/\r\n|\r|\n/);
    if (lines.length && lines[lines.length - 1] === '') lines.pop();
    return lines;
  }

  classes.TUniMemo = {
    build: function (c) {
      const input = el('textarea', 'tess-input');
      input.spellcheck = false;
      buildField(c, input, 'tess-memo');
      c.sent = '';
      c.exact = true;  // the text is the lines joined, character for character
      c.commit = function () {
        const v = c.input.value;
        if (v === c.sent) return;
        c.sent = v;
        c.p.lines = memoLines(v);
        sendChange(c, 'lines', c.p.lines);
      };
      c.input.addEventListener('input', () => { c.exact = false; });
      c.input.addEventListener('change', () => c.commit());
      dblclickEvents(c);
    },
    // An edit at the ends of the lines (a log) changes the text there: the
    // rest of a long text is neither rebuilt nor read. Called before
    // c.p.lines changes.
    editLines: function (c, drop, keep, added) {
      const old = c.p.lines;
      const input = c.input;
      // The length of lines from..to-1 joined with line breaks.
      const length = (from, to) => {
        let n = Math.max(to - from - 1, 0);
        for (let i = from; i < to; i++) n += old[i].length;
        return n;
      };
      const texts = added.map(String);
      // A text the user typed in, or one with carriage returns (which the
      // browser turns into line breaks), is set whole.
      if (!c.exact || texts.some((t) => t.indexOf('\r') >= 0)) {
        const v = old.slice(drop, drop + keep).concat(texts).join('\n');
        input.value = v;
        c.sent = v;
        c.exact = input.value.length === v.length;
        return;
      }
      let end = length(0, old.length);
      if (keep === 0) {
        input.setRangeText(texts.join('\n'), 0, end);
      } else {
        if (drop + keep < old.length) {
          const from = end - length(drop + keep, old.length) - 1;
          input.setRangeText('', from, end);
          end = from;
        }
        if (drop > 0) {
          const cut = length(0, drop) + 1;
          input.setRangeText('', 0, cut);
          end -= cut;
        }
        if (texts.length) input.setRangeText('\n' + texts.join('\n'), end, end);
      }
      c.sent = null;  // not kept as a copy: a change by the user is always sent
    },
    update: function (c, key) {
      const all = key == null;
      const p = c.p;
      updateFieldLabel(c, key);
      if (all || key === 'lines' || key === 'text') {
        const v = Array.isArray(p.lines) ? p.lines.join('\n') : textOf(key === 'text' ? p.text : p.lines);
        c.input.value = v;
        c.sent = v;
        c.exact = Array.isArray(p.lines) && c.input.value.length === v.length;
      }
      if (all || key === 'readOnly') c.input.readOnly = !!p.readOnly;
      if (all || key === 'wordWrap') c.input.wrap = p.wordWrap === false ? 'off' : 'soft';
      if (all || key === 'scrollBars') {
        const s = String(p.scrollBars || '');
        c.input.style.overflowY = /vert|both/i.test(s) ? 'scroll' : (/none/i.test(s) ? 'hidden' : '');
        c.input.style.overflowX = /hor|both/i.test(s) ? 'scroll' : (/none/i.test(s) ? 'hidden' : '');
      }
      if (all || key === 'emptyText') c.input.placeholder = textOf(p.emptyText);
      if (all || key === 'maxLength') {
        if (num(p.maxLength, 0) > 0) c.input.maxLength = p.maxLength; else c.input.removeAttribute('maxlength');
      }
    }
  };

  // ------------------------------------------------- check boxes and radios

  function checkClass(type) {
    return {
      build: function (c) {
        c.dom = el('label', 'tess-check tess-' + type);
        c.input = el('input', '', c.dom);
        c.input.type = type;
        c.captionEl = el('span', 'tess-check-caption', c.dom);
        c.input.addEventListener('change', () => {
          if (!canSend(c) || c.p.readOnly) { c.input.checked = !!c.p.checked; return; }
          if (type === 'radio') {
            c.input.checked = true;
            if (c.p.checked) return;
            c.p.checked = true;
            uncheckGroup(c);
            flushFocused();
            sendChange(c, 'checked', true);
          } else {
            c.p.checked = c.input.checked;
            flushFocused();
            sendChange(c, 'checked', c.input.checked);
          }
        });
      },
      update: function (c, key) {
        const all = key == null;
        if (all || key === 'checked') {
          c.input.checked = !!c.p.checked;
          if (type === 'radio' && c.p.checked && key != null) uncheckGroup(c);
        }
        if (all || key === 'caption' || key === 'html') setContent(c.captionEl, c.p.caption, c.p.html);
        if (all || key === 'readOnly') c.dom.classList.toggle('tess-readonly', !!c.p.readOnly);
      }
    };
  }

  // Radios of one parent and group exclude each other (the server does the
  // same on its side).
  function uncheckGroup(c) {
    if (!c.parent) return;
    const g = textOf(c.p.group);
    c.parent.children.forEach((k) => {
      if (k !== c && k.cls === c.cls && textOf(k.p.group) === g && k.p.checked) {
        k.p.checked = false;
        k.input.checked = false;
      }
    });
  }

  classes.TUniCheckBox = checkClass('checkbox');
  classes.TUniRadioButton = checkClass('radio');

  // ---------------------------------------------- floating lists and menus

  // Open drop-down lists and popup menus close on a mouse press elsewhere.
  const floaters = [];

  function closeFloaters(except) {
    floaters.slice().forEach((f) => { if (f !== except) f.close(); });
  }

  function addFloater(f) { floaters.push(f); return f; }

  function removeFloater(f) {
    const i = floaters.indexOf(f);
    if (i >= 0) floaters.splice(i, 1);
  }

  function placeFloating(e, x, y, below) {
    e.style.left = '0px';
    e.style.top = '0px';
    const w = e.offsetWidth, h = e.offsetHeight;
    const W = window.innerWidth, H = window.innerHeight;
    if (x + w > W) x = Math.max(0, W - w);
    if (y + h > H) y = Math.max(0, below != null && below - h >= 0 ? below - h : H - h);
    e.style.left = Math.round(x) + 'px';
    e.style.top = Math.round(y) + 'px';
  }

  // ------------------------------------------------------------- combo box

  function comboItems(c) { return Array.isArray(c.p.items) ? c.p.items : []; }

  function closeCombo(c) {
    if (c.list) { c.list.close(); }
  }

  function openCombo(c) {
    closeFloaters();
    const items = comboItems(c);
    const box = el('div', 'tess-floating tess-combo-list', document.body);
    const r = c.wrap.getBoundingClientRect();
    box.style.minWidth = Math.round(r.width) + 'px';
    c.hi = num(c.p.itemIndex, -1);
    items.forEach((t, i) => {
      const it = el('div', 'tess-combo-item' + (i === c.hi ? ' tess-hi' : ''), box);
      it.textContent = textOf(t);
      it.addEventListener('mousedown', (e) => { e.preventDefault(); comboChoose(c, i); });
    });
    const f = addFloater({
      el: box, owner: c.wrap,
      close: () => { removeFloater(f); if (box.parentNode) box.parentNode.removeChild(box); if (c.list === f) c.list = null; }
    });
    c.list = f;
    placeFloating(box, r.left, r.bottom, r.top);
    const hi = box.children[c.hi];
    if (hi) hi.scrollIntoView({ block: 'nearest' });
  }

  function comboMove(c, d) {
    const n = comboItems(c).length;
    if (!c.list || !n) return;
    c.hi = Math.max(0, Math.min(n - 1, (c.hi < 0 ? (d > 0 ? -1 : n) : c.hi) + d));
    Array.from(c.list.el.children).forEach((e, i) => e.classList.toggle('tess-hi', i === c.hi));
    const hi = c.list.el.children[c.hi];
    if (hi) hi.scrollIntoView({ block: 'nearest' });
  }

  function comboChoose(c, i) {
    const items = comboItems(c);
    closeCombo(c);
    if (i < 0 || i >= items.length || !canSend(c) || c.p.readOnly) return;
    const t = textOf(items[i]);
    c.input.value = t;
    c.sent = t;
    c.p.itemIndex = i;
    c.p.text = t;
    sendChange(c, 'itemIndex', i);
    sendChange(c, 'text', t);
  }

  function comboListOnly(c) {
    return c.p.editable === false || c.p.style === 'dropDownList' || c.p.style === 'csDropDownList';
  }

  classes.TUniComboBox = {
    build: function (c) {
      const input = textField(c, 'tess-combo');
      c.arrow = el('span', 'tess-combo-arrow', c.wrap);
      c.arrow.innerHTML = '<i class="fas fa-caret-down"></i>';
      c.list = null;
      c.hi = -1;
      const toggle = (e) => {
        e.preventDefault();
        if (!canSend(c) || c.p.readOnly) return;
        if (c.list) { closeCombo(c); return; }
        if (document.activeElement !== input) input.focus();
        openCombo(c);
      };
      c.arrow.addEventListener('mousedown', toggle);
      input.addEventListener('mousedown', (e) => { if (comboListOnly(c)) toggle(e); });
      input.addEventListener('blur', () => closeCombo(c));
      input.addEventListener('keydown', (e) => {
        if (e.key === 'ArrowDown' || e.key === 'ArrowUp') {
          e.preventDefault();
          if (!c.list) { if (canSend(c) && !c.p.readOnly) openCombo(c); } else comboMove(c, e.key === 'ArrowDown' ? 1 : -1);
        } else if (e.key === 'Enter') {
          if (c.list && c.hi >= 0) comboChoose(c, c.hi); else c.commit();
        } else if (e.key === 'Escape') {
          closeCombo(c);
        }
      });
    },
    update: function (c, key) {
      const all = key == null;
      const p = c.p;
      updateFieldLabel(c, key);
      const items = comboItems(c);
      if (all) {
        const i = num(p.itemIndex, -1);
        c.input.value = p.text != null ? textOf(p.text) : (i >= 0 && i < items.length ? textOf(items[i]) : '');
        c.sent = c.input.value;
      } else if (key === 'text') {
        c.input.value = textOf(p.text);
        c.sent = c.input.value;
      } else if (key === 'itemIndex') {
        const i = num(p.itemIndex, -1);
        if (i >= 0 && i < items.length) { c.input.value = textOf(items[i]); c.sent = c.input.value; }
      }
      if (key === 'items' && c.list) { closeCombo(c); }
      if (all || key === 'emptyText') c.input.placeholder = textOf(p.emptyText);
      if (all || key === 'readOnly' || key === 'editable' || key === 'style') c.input.readOnly = !!p.readOnly || comboListOnly(c);
    },
    destroy: function (c) { closeCombo(c); }
  };

  // -------------------------------------------------------------- list box

  function listSelection(c) {
    if (c.p.multiSelect && Array.isArray(c.p.selected)) return c.p.selected;
    const i = num(c.p.itemIndex, -1);
    return i >= 0 ? [i] : [];
  }

  function listRender(c) {
    const items = Array.isArray(c.p.items) ? c.p.items : [];
    const sel = listSelection(c);
    const focus = num(c.p.itemIndex, -1);
    const st = c.dom.scrollTop;
    c.dom.innerHTML = items.map((t, i) =>
      '<div class="tess-list-item' + (sel.indexOf(i) >= 0 ? ' tess-sel' : '') + (i === focus ? ' tess-focus' : '') +
      '" data-i="' + i + '">' + (c.p.html ? textOf(t) : esc(t)) + '</div>').join('');
    c.dom.scrollTop = st;
  }

  function listClick(c, i, e) {
    let sel = [i];
    if (c.p.multiSelect) {
      const cur = listSelection(c).slice();
      if (e.ctrlKey || e.metaKey) {
        const k = cur.indexOf(i);
        if (k >= 0) cur.splice(k, 1); else cur.push(i);
        sel = cur.sort((a, b) => a - b);
      } else if (e.shiftKey && c.anchor != null) {
        sel = [];
        for (let k = Math.min(c.anchor, i); k <= Math.max(c.anchor, i); k++) sel.push(k);
      }
      if (!e.shiftKey) c.anchor = i;
    }
    c.p.selected = sel;
    c.p.itemIndex = i;
    listRender(c);
    flushFocused();
    if (c.p.multiSelect) sendChange(c, 'selected', sel);
    sendChange(c, 'itemIndex', i);
    enqueue({ t: 'click', c: c.id }, c.p.screenMask);
  }

  classes.TUniListBox = {
    build: function (c) {
      c.dom = el('div', 'tess-listbox');
      mouseEvents(c);
      dblclickEvents(c);
      c.dom.addEventListener('click', (e) => {
        const it = e.target.closest('.tess-list-item');
        if (!it || compOf(e.target) !== c || !canSend(c)) return;
        listClick(c, +it.getAttribute('data-i'), e);
      });
    },
    render: listRender,
    update: function (c, key) {
      if (key == null) listRender(c);
      else if (['items', 'html', 'selected', 'itemIndex', 'multiSelect'].indexOf(key) >= 0) renderLater(c);
    }
  };

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

  classes.TUniTreeView = {
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
  };

  // ------------------------------------------------------- pictures, frames

  classes.TUniImage = {
    build: function (c) {
      c.dom = el('div', 'tess-image');
      c.img = el('img', '', c.dom);
      c.img.alt = '';
      c.img.draggable = false;
      clickEvents(c);
      dblclickEvents(c);
    },
    update: function (c, key) {
      const p = c.p;
      if (key == null || key === 'picture') {
        if (p.picture) { c.img.src = String(p.picture); c.img.style.display = ''; }
        else { c.img.removeAttribute('src'); c.img.style.display = 'none'; }
      }
      if (key == null || key === 'stretch' || key === 'proportional' || key === 'center') {
        c.dom.classList.toggle('tess-img-stretch', !!p.stretch);
        c.dom.classList.toggle('tess-img-prop', !!p.proportional);
        c.dom.classList.toggle('tess-img-center', !!p.center);
      }
    }
  };

  classes.TUniURLFrame = {
    build: function (c) {
      c.dom = el('div', 'tess-urlframe');
      c.frame = el('iframe', '', c.dom);
      c.frame.setAttribute('frameborder', '0');
      c.frame.setAttribute('allow', 'autoplay; fullscreen');
    },
    update: function (c, key) {
      // Setting the same address again reloads the frame, which the
      // ticker relies on.
      if (key == null || key === 'url' || key === 'html') {
        if (!c.p.url && c.p.html) { c.frame.srcdoc = String(c.p.html); return; }
        c.frame.removeAttribute('srcdoc');
        c.frame.src = c.p.url ? String(c.p.url) : 'about:blank';
      }
    }
  };

  classes.TUniHTMLFrame = {
    build: function (c) { c.dom = el('div', 'tess-htmlframe'); },
    update: function (c, key) { if (key == null || key === 'html') c.dom.innerHTML = textOf(c.p.html); }
  };

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
      t.innerHTML = iconHtml(pc, k.p.imageIndex) + textOf(k.p.caption);
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

  classes.TUniPageControl = {
    build: function (c) {
      c.dom = el('div', 'tess-pagecontrol');
      c.bar = el('div', 'tess-tabbar', c.dom);
      c.body = el('div', 'tess-pc-body', c.dom);
    },
    chrome: function (c) { return { l: 0, t: c.p.tabsVisible === false ? 0 : TAB_BAR_H, r: 0, b: 0 }; },
    layoutChildren: function (c, shown, a) { shown.forEach((k) => place(k, 0, 0, a.w, a.h)); },
    childrenChanged: function (c) { renderTabs(c); c.children.forEach(applyDisplay); },
    update: function (c, key) {
      if (key == null || key === 'tabsVisible') {
        const t = c.p.tabsVisible === false ? 0 : TAB_BAR_H;
        c.bar.style.display = t ? '' : 'none';
        c.body.style.top = t + 'px';
      }
      if (key == null || key === 'activePage' || key === 'images') { renderTabs(c); c.children.forEach(applyDisplay); }
    }
  };

  classes.TUniTabSheet = {
    build: function (c) { c.dom = el('div', 'tess-tabsheet'); },
    designInner: function (c) { return c.parent ? designInner(c.parent) : innerSize(c); },
    update: function (c, key) {
      if (c.parent && c.parent.bar && (key == null || ['caption', 'tabVisible', 'visible', 'enabled', 'imageIndex'].indexOf(key) >= 0)) renderTabs(c.parent);
    }
  };

  // --------------------------------------------------------------- splitter

  function splitTarget(c) {
    const al = c.p.align || 'left';
    const sib = c.parent ? c.parent.children : [];
    for (let j = sib.indexOf(c) - 1; j >= 0; j--) {
      const k = sib[j];
      if (k.dom && k.p.visible !== false && (k.p.align || 'none') === al) return k;
    }
    return null;
  }

  classes.TUniSplitter = {
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
          const v = Math.max(num(c.p.minSize, 20), s0 + sign * (horiz ? dx : dy));
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
  };

  // ------------------------------------------------------------ string grid

  function gridCells(c) {
    if (!Array.isArray(c.p.cells)) c.p.cells = [];
    return c.p.cells;
  }

  function gridCell(c, r, col) {
    const row = gridCells(c)[r];
    return row ? textOf(row[col]) : '';
  }

  function gridStore(c, r, col, v) {
    const cells = gridCells(c);
    while (cells.length <= r) cells.push([]);
    if (!Array.isArray(cells[r])) cells[r] = [];
    cells[r][col] = v;
  }

  function gridColCount(c) {
    if (typeof c.p.cols === 'number') return c.p.cols;
    return gridCells(c).reduce((m, row) => Math.max(m, Array.isArray(row) ? row.length : 0),
      Array.isArray(c.p.colWidths) ? c.p.colWidths.length : 0);
  }

  function gridRender(c) {
    c.stale = false;
    c.editor = null;
    const p = c.p;
    const cells = gridCells(c);
    const rows = num(p.rows, cells.length);
    const cols = gridColCount(c);
    const fr = num(p.fixedRows, 0), fc = num(p.fixedCols, 0);
    const widths = Array.isArray(p.colWidths) ? p.colWidths : [];
    const defW = num(p.defaultColWidth, 64);
    const rh = num(p.rowHeight, 24);
    const html = !!p.html;
    const text = (s) => (html ? textOf(s) : esc(s));
    const styles = Array.isArray(p.cellStyles) ? p.cellStyles : [];
    const styleOf = (r, k) => {
      const st = Array.isArray(styles[r]) ? styles[r][k] : null;
      if (!st || typeof st !== 'object') return '';
      return ' style="' + esc((st.color ? 'color:' + st.color + ';' : '') + (st.background ? 'background:' + st.background + ';' : '') +
        (st.bold ? 'font-weight:bold;' : '')) + '"';
    };
    const vis = [];
    let total = 0;
    for (let i = 0; i < cols; i++) {
      const w = typeof widths[i] === 'number' ? widths[i] : defW;
      if (w > 0) { vis.push([i, w]); total += w; }
    }
    const out = ['<table class="tess-grid-table" style="width:' + total + 'px"><colgroup>'];
    vis.forEach((v) => out.push('<col style="width:' + v[1] + 'px">'));
    out.push('</colgroup>');
    if (Array.isArray(p.titles)) {
      out.push('<thead><tr style="height:' + rh + 'px">');
      vis.forEach((v) => out.push('<th data-c="' + v[0] + '">' + text(p.titles[v[0]]) + '</th>'));
      out.push('</tr></thead>');
    }
    out.push('<tbody>');
    for (let r = 0; r < rows; r++) {
      const row = Array.isArray(cells[r]) ? cells[r] : [];
      let cl = r < fr ? 'tess-fixed' : (p.striped && (r - fr) % 2 === 1 ? 'tess-alt' : '');
      if (r === p.selRow && r >= fr) cl += ' tess-sel';
      out.push('<tr data-r="' + r + '" class="' + cl + '" style="height:' + rh + 'px">');
      for (let j = 0; j < vis.length; j++) {
        const k = vis[j][0];
        let cc = k < fc ? 'tess-fixed' : '';
        if (r === p.selRow && k === p.selCol) cc += ' tess-selcell';
        out.push('<td data-r="' + r + '" data-c="' + k + '" class="' + cc + '"' + styleOf(r, k) + '>' + text(row[k]) + '</td>');
      }
      out.push('</tr>');
    }
    out.push('</tbody></table>');
    const st = c.scroll.scrollTop, sl = c.scroll.scrollLeft;
    c.scroll.innerHTML = out.join('');
    c.scroll.scrollTop = st;
    c.scroll.scrollLeft = sl;
  }

  function gridTd(c, r, col) {
    return c.scroll.querySelector('td[data-r="' + r + '"][data-c="' + col + '"]');
  }

  function gridHighlight(c) {
    c.scroll.querySelectorAll('.tess-sel, .tess-selcell').forEach((e) => e.classList.remove('tess-sel', 'tess-selcell'));
    const r = c.p.selRow, col = c.p.selCol;
    if (r == null || r < num(c.p.fixedRows, 0)) return;
    const tr = c.scroll.querySelector('tr[data-r="' + r + '"]');
    if (tr) tr.classList.add('tess-sel');
    const td = gridTd(c, r, col);
    if (td) td.classList.add('tess-selcell');
  }

  // A cell change from the server; buffered while the store is suspended.
  function gridSetCell(c, col, r, v) {
    gridStore(c, r, col, v);
    if (c.suspended) { c.stale = true; return; }
    if (c.stale) { renderLater(c); return; }
    if (c.editor && c.editor.r === r && c.editor.col === col) { c.editor.old = textOf(v); return; }
    const td = gridTd(c, r, col);
    if (td) setContent(td, v, c.p.html);
  }

  function gridEditable(c, r, col) {
    const p = c.p;
    if (!p.editable || p.readOnly) return false;
    if (r < num(p.fixedRows, 0) || col < num(p.fixedCols, 0)) return false;
    return !Array.isArray(p.editableCols) || p.editableCols.indexOf(col) >= 0;
  }

  function gridStartEdit(c, r, col) {
    if (!canSend(c) || !gridEditable(c, r, col)) return;
    if (c.editor) gridFinishEdit(c, true);
    const td = gridTd(c, r, col);
    if (!td) return;
    const old = gridCell(c, r, col);
    const input = el('input', 'tess-grid-editor');
    input.value = old;
    td.textContent = '';
    td.appendChild(input);
    td.classList.add('tess-editing');
    c.editor = { input: input, td: td, r: r, col: col, old: old };
    input.addEventListener('keydown', (e) => {
      if (e.key === 'Enter') { e.preventDefault(); gridFinishEdit(c, true); c.dom.focus(); }
      else if (e.key === 'Escape') { e.preventDefault(); gridFinishEdit(c, false); c.dom.focus(); }
    });
    input.addEventListener('blur', () => gridFinishEdit(c, true));
    input.focus();
    input.select();
  }

  function gridFinishEdit(c, save) {
    const ed = c.editor;
    if (!ed) return;
    c.editor = null;
    const v = ed.input.value;
    ed.td.classList.remove('tess-editing');
    if (save && v !== ed.old) {
      gridStore(c, ed.r, ed.col, v);
      setContent(ed.td, v, c.p.html);
      if (canSend(c)) enqueue({ t: 'cell', c: c.id, col: ed.col, row: ed.r, v: v });
    } else {
      setContent(ed.td, ed.old, c.p.html);
    }
  }

  const GRID_RENDER_KEYS = ['cells', 'cellStyles', 'rows', 'cols', 'fixedRows', 'fixedCols', 'colWidths', 'titles',
    'html', 'rowHeight', 'striped', 'defaultColWidth'];

  classes.TUniStringGrid = {
    build: function (c) {
      c.dom = el('div', 'tess-grid');
      c.dom.tabIndex = 0;
      c.scroll = el('div', 'tess-grid-scroll', c.dom);
      c.suspended = false;
      c.stale = false;
      c.editor = null;
      c.store = {
        suspendEvents: function () { c.suspended = true; },
        resumeEvents: function () { c.suspended = false; },
        isSuspended: function () { return c.suspended; }
      };
      c.view = { refresh: function () { gridRender(c); } };
      c.commit = function () { gridFinishEdit(c, true); };
      const inEditor = (e) => !!e.target.closest('.tess-grid-editor');
      mouseEvents(c, inEditor);
      c.scroll.addEventListener('click', (e) => {
        if (compOf(e.target) !== c || inEditor(e) || !canSend(c)) return;
        const td = e.target.closest('td');
        flushFocused();
        if (td) {
          const r = +td.getAttribute('data-r'), col = +td.getAttribute('data-c');
          if (r >= num(c.p.fixedRows, 0) && col >= num(c.p.fixedCols, 0)) {
            c.p.selRow = r;
            c.p.selCol = col;
            gridHighlight(c);
            enqueue({ t: 'select', c: c.id, col: col, row: r });
          }
        }
        enqueue({ t: 'click', c: c.id }, c.p.screenMask);
      });
      c.scroll.addEventListener('dblclick', (e) => {
        if (compOf(e.target) !== c || inEditor(e) || !canSend(c)) return;
        const td = e.target.closest('td');
        userEvent(c, { t: 'dblclick', c: c.id });
        if (td) gridStartEdit(c, +td.getAttribute('data-r'), +td.getAttribute('data-c'));
      });
      c.dom.addEventListener('keydown', (e) => {
        if (e.target !== c.dom || e.key !== 'Enter' || c.p.selRow == null) return;
        e.preventDefault();
        gridStartEdit(c, c.p.selRow, num(c.p.selCol, num(c.p.fixedCols, 0)));
      });
    },
    // Drawn at the end of the batch unless the store is suspended then.
    render: function (c) { if (c.stale && !c.suspended) gridRender(c); },
    update: function (c, key) {
      if (key == null) {
        gridRender(c);
      } else if (GRID_RENDER_KEYS.indexOf(key) >= 0) {
        c.stale = true;
        if (!c.suspended) renderLater(c);
      } else if (key === 'selRow' || key === 'selCol') {
        if (c.suspended) c.stale = true; else gridHighlight(c);
      }
    }
  };

  // ------------------------------------------------------------ non-visual

  function timerRestart(c) {
    clearTimeout(c.tid);
    c.tid = 0;
    const iv = num(c.p.interval, 1000);
    if (terminated || c.p.enabled === false || !(iv > 0)) return;
    // The next tick is counted from this one, not from the answer: a slow
    // server must not stretch the display's timing.
    const tick = () => {
      const next = num(c.p.interval, 1000);
      c.tid = next > 0 ? setTimeout(tick, next) : 0;
      enqueue({ t: 'timer', c: c.id });
    };
    c.tid = setTimeout(tick, iv);
  }

  classes.TUniTimer = {
    update: function (c, key) { if (key == null || key === 'enabled' || key === 'interval') timerRestart(c); }
  };

  classes.TUniPopupMenu = {
    destroy: function (c) { if (openMenu && openMenu.owner === c) closeMenus(); }
  };
  classes.TUniImageList = {};
  classes.TUniNativeImageList = {};

  classes.generic = {
    build: function (c) { c.dom = el('div', 'tess-generic'); }
  };

  // --------------------------------------------------------------- uploads

  const UPLOAD_TEXTS = {
    uploading: 'Uploading...', pleaseWait: 'Please Wait', uploadError: 'Upload Error',
    timeout: 'Timeout occurred...', maxSize: 'File is bigger than maximum allowed size',
    maxFiles: 'You can upload maximum %d files.', cancel: 'Cancel', processing: 'Processing...',
    upload: 'Upload', selectFile: 'Please Select a File', browse: 'Browse...'
  };

  function uploadText(c, k) {
    const m = c.p.messages;
    return m && m[k] != null ? String(m[k]) : UPLOAD_TEXTS[k];
  }

  // "a,,b" has an empty entry; the browser's accept list must not.
  function acceptList(filter) {
    return String(filter || '').split(',').map((s) => s.trim()).filter(Boolean).join(',');
  }

  // Several files unless multipleFiles is off or only one may come.
  function uploadMultiple(c) {
    return c.p.multipleFiles !== false && num(c.p.maxFiles, 0) !== 1;
  }

  function uploadProblem(c, files) {
    const maxFiles = num(c.p.maxFiles, 0);
    if (maxFiles > 0 && files.length > maxFiles) return uploadText(c, 'maxFiles').replace('%d', String(maxFiles));
    const maxSize = num(c.p.maxSize, 0);
    if (maxSize > 0 && files.some((f) => f.size > maxSize)) return uploadText(c, 'maxSize');
    return '';
  }

  // Posts the files; on success the "upload" event names the cache files.
  function postUpload(c, files, ui) {
    const fd = new FormData();
    files.forEach((f) => fd.append('file', f, f.name));
    const xhr = new XMLHttpRequest();
    c.xhr = xhr;
    xhr.open('POST', '/upload?sid=' + encodeURIComponent(sid) + '&c=' + encodeURIComponent(c.id));
    const secs = num(c.p.timeoutSecs, 0);
    if (secs > 0) xhr.timeout = secs * 1000;
    xhr.upload.onprogress = (e) => { if (e.lengthComputable && e.total) ui.progress(e.loaded / e.total); };
    xhr.upload.onload = () => { ui.progress(1); ui.status(uploadText(c, 'processing')); };
    xhr.onload = () => {
      c.xhr = null;
      let ans = null;
      try { ans = JSON.parse(xhr.responseText); } catch (e) { ans = null; }
      if (ans && ans.gone) { restart(); return; }
      if (xhr.status !== 200 || !ans || !Array.isArray(ans.files)) { ui.fail(uploadText(c, 'uploadError')); return; }
      ui.done();
      enqueue({ t: 'upload', c: c.id, files: ans.files });
    };
    xhr.onerror = () => { c.xhr = null; ui.fail(uploadText(c, 'uploadError')); };
    xhr.ontimeout = () => { c.xhr = null; ui.fail(uploadText(c, 'timeout')); };
    xhr.onabort = () => { c.xhr = null; };
    xhr.send(fd);
  }

  function closeUploadWindow(c) {
    const w = c.win;
    if (!w) return;
    c.win = null;
    c.p.show = false;
    if (c.xhr) c.xhr.abort();
    [w.mask, w.dom].forEach((e) => { if (e.parentNode) e.parentNode.removeChild(e); });
    c.el.dom = null;
  }

  function openUploadWindow(c) {
    if (c.win) return;
    const w = { p: { modal: true } };
    c.win = w;
    buildWindow(w, 'tess-upload', () => closeUploadWindow(c));
    w.dom.id = c.js;
    w.dom.setAttribute('data-component', c.name);
    domComp.set(w.dom, c);
    c.el.dom = w.dom;
    w.titleText.textContent = textOf(c.p.title != null ? c.p.title : uploadText(c, 'upload'));
    const body = w.body;
    body.classList.add('tess-upload-body');
    const row = el('div', 'tess-upload-row', body);
    const browse = el('label', 'tess-button tess-btn tess-upload-browse', row);
    browse.textContent = uploadText(c, 'browse');
    const file = el('input', 'tess-upload-file', browse);
    file.type = 'file';
    const accept = acceptList(c.p.filter);
    if (accept) file.accept = accept;
    file.multiple = uploadMultiple(c);
    const names = el('div', 'tess-upload-names', row);
    names.textContent = uploadText(c, 'selectFile');
    const prog = el('div', 'tess-progress', body);
    const bar = el('div', 'tess-progress-bar', prog);
    const status = el('div', 'tess-upload-status', body);
    const buttons = el('div', 'tess-box-buttons', body);
    const up = el('button', 'tess-button tess-btn tess-upload-go', buttons);
    up.type = 'button';
    up.textContent = uploadText(c, 'upload');
    const cancel = el('button', 'tess-button tess-btn tess-upload-cancel', buttons);
    cancel.type = 'button';
    cancel.textContent = uploadText(c, 'cancel');
    file.addEventListener('change', () => {
      const fl = Array.from(file.files || []);
      names.textContent = fl.length ? fl.map((f) => f.name).join(', ') : uploadText(c, 'selectFile');
      status.textContent = '';
    });
    cancel.addEventListener('click', () => closeUploadWindow(c));
    up.addEventListener('click', () => {
      const fl = Array.from(file.files || []);
      if (!fl.length) { status.textContent = uploadText(c, 'selectFile'); return; }
      const problem = uploadProblem(c, fl);
      if (problem) { status.textContent = problem; return; }
      up.disabled = true;
      status.textContent = uploadText(c, 'uploading') + ' ' + uploadText(c, 'pleaseWait');
      bar.style.width = '0%';
      postUpload(c, fl, {
        progress: (f) => { bar.style.width = Math.round(f * 100) + '%'; },
        status: (t) => { status.textContent = t; },
        done: () => closeUploadWindow(c),
        fail: (t) => { status.textContent = t; up.disabled = false; }
      });
    });
    placeWindow(w, 420, 150);
  }

  classes.TUniFileUpload = {
    update: function (c, key) {
      if (key == null || key === 'show') {
        if (c.p.show) openUploadWindow(c);
        else closeUploadWindow(c);
      }
    },
    destroy: function (c) { closeUploadWindow(c); }
  };

  function zoneUpload(c, files) {
    if (!files.length || c.xhr || !canSend(c)) return;
    const problem = !uploadMultiple(c) && files.length > 1 ? uploadText(c, 'maxFiles').replace('%d', '1') : uploadProblem(c, files);
    if (problem) { showBox({ kind: 'message', text: problem, icon: 'warning', noAnswer: true }); return; }
    c.prog.style.display = '';
    c.progText.textContent = uploadText(c, 'uploading') + ' ' + uploadText(c, 'pleaseWait');
    c.bar.style.width = '0%';
    postUpload(c, files, {
      progress: (f) => { c.bar.style.width = Math.round(f * 100) + '%'; },
      status: (t) => { c.progText.textContent = t; },
      done: () => { c.prog.style.display = 'none'; },
      fail: (t) => {
        c.prog.style.display = 'none';
        showBox({ kind: 'message', text: t, icon: 'error', noAnswer: true });
      }
    });
  }

  classes.TUniFileUploadButton = {
    build: function (c) {
      c.dom = el('div', 'tess-dropzone');
      c.captionEl = el('div', 'tess-dropzone-caption', c.dom);
      c.file = el('input', 'tess-upload-file', c.dom);
      c.file.type = 'file';
      c.prog = el('div', 'tess-dropzone-progress', c.dom);
      c.progText = el('div', 'tess-dropzone-text', c.prog);
      const p = el('div', 'tess-progress', c.prog);
      c.bar = el('div', 'tess-progress-bar', p);
      c.prog.style.display = 'none';
      c.dom.addEventListener('click', (e) => {
        if (e.target === c.file || c.xhr || !canSend(c)) return;
        c.file.click();
      });
      c.file.addEventListener('change', () => {
        const files = Array.from(c.file.files || []);
        c.file.value = '';
        zoneUpload(c, files);
      });
      c.dom.addEventListener('dragover', (e) => { e.preventDefault(); c.dom.classList.add('tess-dragover'); });
      c.dom.addEventListener('dragleave', () => c.dom.classList.remove('tess-dragover'));
      c.dom.addEventListener('drop', (e) => {
        e.preventDefault();
        c.dom.classList.remove('tess-dragover');
        zoneUpload(c, Array.from((e.dataTransfer && e.dataTransfer.files) || []));
      });
    },
    update: function (c, key) {
      const p = c.p;
      if (key == null || key === 'caption' || key === 'html') setContent(c.captionEl, p.caption, p.html);
      if (key == null || key === 'filter') {
        const a = acceptList(p.filter);
        if (a) c.file.accept = a; else c.file.removeAttribute('accept');
      }
      if (key == null || key === 'maxFiles' || key === 'multipleFiles') c.file.multiple = uploadMultiple(c);
    },
    destroy: function (c) { if (c.xhr) c.xhr.abort(); }
  };

  // ------------------------------------------------------------ popup menus

  let openMenu = null;

  function closeMenus() {
    const m = openMenu;
    if (!m) return;
    openMenu = null;
    removeFloater(m.f);
    m.levels.forEach((e) => { if (e.parentNode) e.parentNode.removeChild(e); });
  }

  function menuItems(c) {
    if (Array.isArray(c.p.menu)) return c.p.menu;
    return Array.isArray(c.p.items) ? c.p.items : [];
  }

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
    m.f = addFloater({ contains: (n) => m.levels.some((e) => e.contains(n)), close: closeMenus });
    openMenu = m;
    menuLevel(m, menuItems(c), x, y, 0);
  }

  // ---------------------------------------------------- boxes and toasts

  const boxes = [];
  const BOX_ICONS = {
    info: 'fa-info-circle', question: 'fa-question-circle', warning: 'fa-exclamation-triangle', error: 'fa-times-circle'
  };

  // Message box, confirmation, prompt or error report. Every box except the
  // error report is answered with an "answer" event; Esc answers "close".
  function showBox(o) {
    const b = {};
    b.mask = el('div', 'tess-modal-mask tess-box-mask', document.body);
    b.dom = el('div', 'tess-window tess-box tess-box-' + (o.kind || 'message'), document.body);
    const z = (zTop += 2);
    b.mask.style.zIndex = z - 1;
    b.dom.style.zIndex = z;
    const title = el('div', 'tess-window-title', b.dom);
    el('span', 'tess-window-caption', title).textContent =
      o.kind === 'error' ? 'Error' : (document.title || '');
    const body = el('div', 'tess-box-body', b.dom);
    const icon = o.icon || (o.kind === 'confirm' ? 'question' : o.kind === 'error' ? 'error' : 'info');
    el('div', 'tess-box-icon tess-box-icon-' + icon, body).innerHTML = '<i class="fas ' + (BOX_ICONS[icon] || BOX_ICONS.info) + '"></i>';
    const main = el('div', 'tess-box-main', body);
    el('div', 'tess-box-text', main).textContent = textOf(o.text);
    let input = null;
    if (o.kind === 'prompt') {
      input = el('input', 'tess-input tess-box-input', main);
      input.type = 'text';
      input.value = textOf(o.def);
    }
    const buttons = el('div', 'tess-box-buttons', b.dom);
    b.done = (r) => {
      const i = boxes.indexOf(b);
      if (i < 0) return;
      boxes.splice(i, 1);
      [b.mask, b.dom].forEach((e) => { if (e.parentNode) e.parentNode.removeChild(e); });
      if (!o.noAnswer) enqueue({ t: 'answer', box: o.box, r: r, text: input ? input.value : '' });
    };
    const list = o.kind === 'confirm' ? [['yes', 'Yes'], ['no', 'No']]
      : o.kind === 'prompt' ? [['ok', 'OK'], ['cancel', 'Cancel']] : [['ok', 'OK']];
    let first = null;
    list.forEach((x) => {
      const btn = el('button', 'tess-button tess-btn tess-box-btn', buttons);
      btn.type = 'button';
      btn.textContent = x[1];
      btn.setAttribute('data-r', x[0]);
      btn.addEventListener('click', () => b.done(x[0]));
      if (!first) first = btn;
    });
    if (input) input.addEventListener('keydown', (e) => { if (e.key === 'Enter') { e.preventDefault(); b.done('ok'); } });
    boxes.push(b);
    const f = input || first;
    if (f) { f.focus(); if (input) input.select(); }
    return b;
  }

  function toast(content, html, delay, title) {
    let box = document.getElementById('tess-toasts');
    if (!box) {
      box = el('div', 'tess-toasts', document.body);
      box.id = 'tess-toasts';
    }
    const t = el('div', 'tess-toast', box);
    if (title) el('div', 'tess-toast-title', t).textContent = textOf(title);
    setContent(el('div', 'tess-toast-body', t), content, html);
    const close = () => {
      if (!t.parentNode || t.classList.contains('tess-toast-hide')) return;
      t.classList.add('tess-toast-hide');
      setTimeout(() => { if (t.parentNode) t.parentNode.removeChild(t); }, 300);
    };
    setTimeout(close, Math.max(0, num(delay, 3000)));
    return { el: t, close: close };
  }

  // ------------------------------------------------------------------- ops

  function runScript(code) {
    try {
      (0, eval)(String(code));
    } catch (e) {
      console.error('script failed:', e);
    }
  }

  function terminate(html) {
    stopAll();
    closeFloaters();
    document.open();
    document.write(String(html || ''));
    document.close();
  }

  function applyOp(op) {
    const c = op.c != null ? byId[op.c] : null;
    switch (op.op) {
      case 'set':
        if (c && typeof op.p === 'string') setProp(c, op.p, op.v);
        break;
      case 'cell':
        if (c && c.cls === 'TUniStringGrid') gridSetCell(c, num(op.col, 0), num(op.row, 0), op.v);
        break;
      case 'create': {
        const par = op.parent == null ? null : byId[op.parent];
        if (op.node && (op.parent == null || par)) create(op.node, par, op.index);
        break;
      }
      case 'destroy':
        if (c) destroy(c);
        break;
      case 'front':
        if (c) bringToFront(c);
        break;
      case 'js':
        flushLayout();
        runScript(op.code);
        break;
      case 'toast':
        toast(op.text, false, 3000);
        break;
      case 'box':
        showBox({ box: op.box, kind: op.kind, text: op.text, def: op.def, icon: op.icon });
        break;
      case 'error':
        showBox({ kind: 'error', text: op.text, icon: 'error', noAnswer: true });
        break;
      case 'window':
        window.open(op.url, op.target || '_blank', op.options || '');
        break;
      case 'popup':
        if (c) {
          flushLayout();
          // With "at" the position is relative to that control.
          const at = op.at != null ? byId[op.at] : null;
          const r = at && at.dom ? at.dom.getBoundingClientRect() : { left: 0, top: 0 };
          popupMenu(c, r.left + num(op.x, 0), r.top + num(op.y, 0));
        }
        break;
      case 'terminate':
        terminate(op.html);
        break;
      case 'reload':
        stopAll();
        location.reload();
        break;
      default:
        console.warn('unknown op', op.op);
    }
  }

  function applyOps(ops) {
    for (let i = 0; i < ops.length && !terminated; i++) {
      try {
        applyOp(ops[i] || {});
      } catch (e) {
        console.error('op failed:', ops[i] && ops[i].op, e);
      }
    }
    if (!terminated) flushLayout();
  }

  // ---------------------------------------------------------- page events

  function keyText(e) {
    return typeof e.key === 'string' && e.key.length === 1 ? e.key : '';
  }

  function onKeyDown(e) {
    if (terminated || !booted) return;
    const k = e.keyCode;
    if (k === 27 && boxes.length) {
      e.preventDefault();
      boxes[boxes.length - 1].done('close');
      return;
    }
    if (k === 27 && openMenu) closeMenus();
    if (k === 114 || k === 115) e.preventDefault();
    if (config.disableRefresh && (k === 116 || ((e.ctrlKey || e.metaKey) && k === 82))) e.preventDefault();
    enqueue({ t: 'key', k: 'down', code: k, key: keyText(e), shift: shiftOf(e) });
  }

  function onKeyPress(e) {
    if (terminated || !booted) return;
    const code = e.charCode || e.keyCode;
    enqueue({ t: 'key', k: 'press', code: code, key: keyText(e) || String.fromCharCode(code), shift: shiftOf(e) });
  }

  function onResize() {
    if (terminated) return;
    forms.forEach(markLayout);
    flushLayout();
    clearTimeout(resizeTimer);
    resizeTimer = setTimeout(() => enqueue({ t: 'resize', w: window.innerWidth, h: window.innerHeight }), RESIZE_DEBOUNCE_MS);
  }

  function installPageHandlers() {
    document.addEventListener('contextmenu', (e) => { if (config.disableContextMenu) e.preventDefault(); });
    document.addEventListener('keydown', onKeyDown, true);
    document.addEventListener('keypress', onKeyPress, true);
    document.addEventListener('mousedown', (e) => {
      floaters.slice().forEach((f) => {
        const inside = f.contains ? f.contains(e.target) : (f.el.contains(e.target) || (f.owner && f.owner.contains(e.target)));
        if (!inside) f.close();
      });
    }, true);
    window.addEventListener('resize', onResize);
    // Closing the page ends the session at once instead of at its time-out.
    window.addEventListener('pagehide', () => {
      if (terminated || !sid || !navigator.sendBeacon) return;
      navigator.sendBeacon('/ajax/close', JSON.stringify({ sid: sid }));
    });
  }

  function boot(b) {
    if (booted) return;
    b = b || {};
    sid = String(b.sid || '');
    config = b.config || {};
    installPageHandlers();
    (b.forms || []).forEach((f) => {
      try { create(f, null, 0); } catch (e) { console.error('form failed:', e); }
    });
    flushLayout();
    ['loading-mask', 'loading'].forEach((id) => {
      const e = document.getElementById(id);
      if (e && e.parentNode) e.parentNode.removeChild(e);
    });
    booted = true;
    applyOps(b.ops || []);
    enqueue({ t: 'resize', w: window.innerWidth, h: window.innerHeight });
  }

  window.Tess = {
    boot: boot,
    // For diagnosis from the browser console and for the browser tests.
    component: function (id) { return byId[id] || null; },
    state: function () { return { seq: seq, queued: queue.length, inflight: !!inflight, terminated: terminated }; }
  };

  const Ext = window.Ext || (window.Ext = {});
  Ext.toast = function (cfg, title) {
    if (cfg == null || typeof cfg !== 'object') cfg = { html: textOf(cfg), title: title };
    const head = cfg.header !== false && cfg.title ? cfg.title : '';
    return toast(cfg.html != null ? cfg.html : textOf(cfg.text), true, num(cfg.autoCloseDelay, 3000), head);
  };
  Ext.get = function (id) {
    const dom = typeof id === 'string' ? document.getElementById(id) : id;
    return dom ? makeEl({ dom: dom }) : null;
  };
})();
