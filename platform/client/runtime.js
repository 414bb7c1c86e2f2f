/*
 * Tessarine browser runtime: the core.
 *
 * The server owns all UI state. The runtime renders the component tree it
 * sends, applies the ordered stream of ops, runs the browser timers and
 * reports user actions as events, one request at a time per session. This
 * file holds the request queue, the ops, the layout, the forms and the
 * boxes; each family of controls has its own file under controls/, which
 * registers its classes through Tess.core.define. The page loads the files
 * in the order of scripts.txt, this one first.
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
  const queue = [];            // {ev, mask}: mask as showScreenMask gave it, or null
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
      if (par && par.def.showsChild && !par.def.showsChild(par, x)) return false;
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
    queue.push({ ev: ev, mask: mask ? showScreenMask(mask) : null });
    pump();
  }

  // Drops the waiting events of one kind from one component.
  function dropQueued(t, id) {
    for (let i = queue.length - 1; i >= 0; i--) {
      if (queue[i].ev.t === t && queue[i].ev.c === id) queue.splice(i, 1);
    }
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
      masks: items.map((q) => q.mask).filter((m) => m)
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

  // The notice while the server cannot be reached. A page that an audience
  // watches (retryNotice "corner") gets a small notice in a corner and keeps
  // playing; any other page is masked.
  function showRetry() {
    let o = document.getElementById('tess-retry');
    if (!o) {
      o = el('div', config.retryNotice === 'corner' ? 'tess-retry tess-retry-corner' : 'tess-overlay tess-retry',
        document.body);
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

  // Shows a mask: over the control whose id is m.target when it has an
  // element, else over the page. Returns what hideScreenMask takes back.
  function showScreenMask(m) {
    const t = m && typeof m === 'object' && typeof m.target === 'number' ? byId[m.target] : null;
    if (t && t.dom) return showControlMask(t, maskText(m));
    showPageMask(m);
    return { page: true };
  }

  function showControlMask(t, text) {
    let o = t.maskEl;
    if (!o || o.parentNode !== t.dom) {
      o = el('div', 'tess-controlmask', t.dom);
      const box = el('div', 'tess-screenmask-box', o);
      el('i', 'fas fa-spinner fa-pulse', box);
      el('span', 'tess-screenmask-text', box);
      t.maskEl = o;
      t.maskCount = 0;
    }
    t.maskCount += 1;
    o.querySelector('.tess-screenmask-text').textContent = text;
    o.style.display = '';
    return { control: t, el: o };
  }

  function hideScreenMask(masks) {
    let page = 0;
    masks.forEach((m) => {
      if (m.page) { page += 1; return; }
      const t = m.control;
      if (t.maskEl !== m.el) return;  // drawn anew meanwhile
      t.maskCount = Math.max(0, t.maskCount - 1);
      if (t.maskCount === 0) m.el.style.display = 'none';
    });
    hidePageMask(page);
  }

  function showPageMask(m) {
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

  function hidePageMask(n) {
    if (!n) return;
    maskCount = Math.max(0, maskCount - n);
    const o = document.getElementById('tess-screenmask');
    if (o && maskCount === 0) o.style.display = 'none';
  }

  // ------------------------------------------------------------ components

  const classes = Object.create(null);

  // The properties the core draws for every control that has an element
  // (the screen mask goes with its clicks).
  const COMMON_PROPS = ['name', 'visible', 'enabled', 'left', 'top', 'width', 'height', 'align', 'anchors', 'hint',
    'showHint', 'cls', 'color', 'font', 'style', 'screenMask', 'screenMaskTarget'];
  const COMMON = new Set(COMMON_PROPS);

  // A class of controls: `props` lists the properties it draws besides the
  // common ones; its update hook is called for those and the common ones.
  function define(cls, def) {
    def.own = new Set(def.props || []);
    classes[cls] = def;
    return def;
  }

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
    if (c.def.update && (COMMON.has(key) || c.def.own.has(key))) c.def.update(c, key);
    if (LAYOUT_KEYS.has(key)) markLayout(c.parent || c);
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
    if (c.parent && c.parent.def.showsChild) shown = shown && c.parent.def.showsChild(c.parent, c);
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

  let focusLater = null;  // a modal dialog that has just opened

  function flushLayout() {
    if (pendingRender.size) {
      const todo = Array.from(pendingRender);
      pendingRender.clear();
      todo.forEach((c) => { if (byId[c.id] === c && c.def.render) c.def.render(c); });
    }
    if (dirty.size) {
      const set = new Set(Array.from(dirty).filter((c) => byId[c.id] === c));
      dirty.clear();
      set.forEach((c) => {
        for (let a = c.parent; a; a = a.parent) if (set.has(a)) return;
        layoutFrom(c);
      });
    }
    if (focusLater) {
      const c = focusLater;
      focusLater = null;
      if (byId[c.id] === c) focusInto(c.dom);
    }
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

  // A click of the user; the page (or the control the server named as the
  // mask's target) is masked with the control's screen mask until the
  // answer arrives. queueClick is for controls that checked canSend and
  // flushed the focused input already.
  function clickMask(c) {
    if (!c.p.screenMask) return null;
    return { text: maskText(c.p.screenMask), target: c.p.screenMaskTarget };
  }
  function sendClick(c) { userEvent(c, { t: 'click', c: c.id }, clickMask(c)); }
  function queueClick(c) { enqueue({ t: 'click', c: c.id }, clickMask(c)); }

  function clickEvents(c, target) {
    (target || c.dom).addEventListener('click', (e) => {
      if (compOf(e.target) === c) sendClick(c);
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

  // ----------------------------------------------------------------- forms

  // The page's form fills the window; its width and height are the design
  // size its children are anchored to.
  define('TUniForm', {
    props: [],
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
  });

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

  // Moves the focus to the first control in the element that takes it, or
  // to the element itself.
  function focusInto(e) {
    const first = Array.prototype.find.call(
      e.querySelectorAll('input, button, select, textarea, [tabindex]'),
      (x) => !x.disabled && x.tabIndex >= 0 && x.offsetParent !== null);
    if (first) { first.focus(); return; }
    if (!e.hasAttribute('tabindex')) e.tabIndex = -1;
    e.focus();
  }

  // A dialog's position "design" keeps its left and top, else it opens
  // centred.
  define('TUniDialog', {
    props: ['caption', 'modal', 'closable', 'position', 'titleVisible'],
    floating: true,
    build: function (c) {
      c.dialog = true;
      buildWindow(c, 'tess-dialog', () => userEvent(c, { t: 'close', c: c.id }));
      c.dom.addEventListener('mousedown', () => { if (!c.p.modal && forms.some((f) => f.dialog && f.z > c.z)) bringToFront(c); });
    },
    chrome: function (c) { return { l: 0, t: windowTitleH(c), r: 0, b: 0 }; },
    designInner: function (c) { return { w: num(c.p.width, 400), h: num(c.p.height, 300) }; },
    placeForm: function (c) { placeWindow(c, num(c.p.width, 400), num(c.p.height, 300)); },
    display: function (c, shown) {
      const modal = shown && !!c.p.modal;
      c.mask.style.display = modal ? '' : 'none';
      // A modal dialog takes the focus as it opens, so that Enter or Space
      // on the button beneath that opened it cannot press it again.
      // Its controls are built after it: the focus moves once they are laid
      // out.
      if (modal && !c.hadFocus) focusLater = c;
      c.hadFocus = modal;
    },
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
  });

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

  // ------------------------------------------------------ unknown classes

  // A class no family defines gets a plain element.
  define('generic', {
    build: function (c) { c.dom = el('div', 'tess-generic'); }
  });

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
        if (c && c.def.setCell) c.def.setCell(c, num(op.col, 0), num(op.row, 0), op.v);
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
        if (c && c.def.popup) {
          flushLayout();
          // With "at" the position is relative to that control.
          const at = op.at != null ? byId[op.at] : null;
          const r = at && at.dom ? at.dom.getBoundingClientRect() : { left: 0, top: 0 };
          c.def.popup(c, r.left + num(op.x, 0), r.top + num(op.y, 0));
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
    if (k === 27) floaters.slice().forEach((f) => { if (f.closeOnEscape) f.close(); });
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
    state: function () { return { seq: seq, queued: queue.length, inflight: !!inflight, terminated: terminated }; },
    // What the files of the control families build on.
    core: {
      PANEL_TITLE_H: PANEL_TITLE_H, TAB_BAR_H: TAB_BAR_H, COMMON_PROPS: COMMON_PROPS,
      classes: classes, define: define, byId: byId, domComp: domComp,
      sid: function () { return sid; }, terminated: function () { return terminated; },
      el: el, esc: esc, setContent: setContent, num: num, textOf: textOf, iconHtml: iconHtml, compOf: compOf,
      canSend: canSend, enqueue: enqueue, dropQueued: dropQueued, flushFocused: flushFocused, userEvent: userEvent, sendChange: sendChange,
      sendClick: sendClick, queueClick: queueClick, restart: restart,
      setProp: setProp, applyColor: applyColor, applyDisplay: applyDisplay,
      chrome: chrome, innerSize: innerSize, designInner: designInner, place: place, markLayout: markLayout,
      flushLayout: flushLayout, renderLater: renderLater, dragWith: dragWith,
      mouseEvents: mouseEvents, clickEvents: clickEvents, dblclickEvents: dblclickEvents,
      buildField: buildField, updateFieldLabel: updateFieldLabel, textField: textField,
      buildWindow: buildWindow, placeWindow: placeWindow, showBox: showBox,
      closeFloaters: closeFloaters, addFloater: addFloater, removeFloater: removeFloater, placeFloating: placeFloating
    }
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
