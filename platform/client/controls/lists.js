/*
 * Tessarine browser runtime: lists (memos, combo boxes, list boxes).
 */
(function (core) {
  'use strict';

  const {
    define, el, esc, num, textOf, compOf, canSend, flushFocused, sendChange, queueClick, renderLater, mouseEvents,
    dblclickEvents, buildField, updateFieldLabel, textField, closeFloaters, addFloater, removeFloater, placeFloating
  } = core;

  function memoLines(text) {
    if (text === '') return [];
    const lines = text.split(/\r\n|\r|\n/);
    if (lines.length && lines[lines.length - 1] === '') lines.pop();
    return lines;
  }

  define('TUniMemo', {
    props: ['lines', 'readOnly', 'wordWrap', 'scrollBars', 'emptyText', 'fieldLabel'],
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
      if (all || key === 'lines') {
        const v = Array.isArray(p.lines) ? p.lines.join('\n') : textOf(p.lines);
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
    }
  });

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
    return c.p.style === 'dropDownList' || c.p.style === 'csDropDownList';
  }

  define('TUniComboBox', {
    props: ['items', 'itemIndex', 'text', 'emptyText', 'readOnly', 'fieldLabel', 'labelWidth'],
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
      if (all || key === 'readOnly' || key === 'style') c.input.readOnly = !!p.readOnly || comboListOnly(c);
    },
    destroy: function (c) { closeCombo(c); }
  });

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
    queueClick(c);
  }

  define('TUniListBox', {
    props: ['items', 'html', 'selected', 'itemIndex', 'multiSelect'],
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
  });
})(window.Tess.core);
