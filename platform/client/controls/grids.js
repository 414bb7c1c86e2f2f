/*
 * Tessarine browser runtime: the string grid.
 */
(function (core) {
  'use strict';

  const {
    define, el, esc, setContent, num, textOf, compOf, canSend, enqueue, flushFocused, userEvent, queueClick,
    renderLater, mouseEvents
  } = core;

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

  // Whether a column's texts are HTML: with html, every column unless
  // htmlCols names the ones that are.
  function gridHtmlCol(c, col) {
    return !!c.p.html && (!Array.isArray(c.p.htmlCols) || c.p.htmlCols.indexOf(col) >= 0);
  }

  function gridRender(c) {
    c.stale = false;
    // A cell being edited stays in edit with what was typed so far: the
    // server may redraw the grid while the operator types.
    const editing = c.editor;
    c.editor = null;
    const p = c.p;
    const cells = gridCells(c);
    const rows = num(p.rows, cells.length);
    const cols = gridColCount(c);
    const fr = num(p.fixedRows, 0), fc = num(p.fixedCols, 0);
    const widths = Array.isArray(p.colWidths) ? p.colWidths : [];
    const defW = num(p.defaultColWidth, 64);
    const rh = num(p.rowHeight, 24);
    const text = (s, k) => (gridHtmlCol(c, k) ? textOf(s) : esc(s));
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
    const tableCls = 'tess-grid-table' + (p.rowSelect ? ' tess-grid-rowselect' : '') + (p.mouseTracking ? ' tess-grid-track' : '');
    const out = ['<table class="' + tableCls + '" style="width:' + total + 'px"><colgroup>'];
    vis.forEach((v) => out.push('<col style="width:' + v[1] + 'px">'));
    out.push('</colgroup>');
    if (Array.isArray(p.titles)) {
      const thStyle = typeof p.titleColor === 'string' && p.titleColor ? ' style="background:' + esc(p.titleColor) + '"' : '';
      const resizer = p.columnResize ? '<span class="tess-grid-resizer"></span>' : '';
      out.push('<thead><tr style="height:' + rh + 'px">');
      vis.forEach((v) => out.push('<th data-c="' + v[0] + '"' + thStyle + '>' + text(p.titles[v[0]], v[0]) + resizer + '</th>'));
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
        out.push('<td data-r="' + r + '" data-c="' + k + '" class="' + cc + '"' + styleOf(r, k) + '>' + text(row[k], k) + '</td>');
      }
      out.push('</tr>');
    }
    out.push('</tbody></table>');
    const st = c.scroll.scrollTop, sl = c.scroll.scrollLeft;
    c.scroll.innerHTML = out.join('');
    c.scroll.scrollTop = st;
    c.scroll.scrollLeft = sl;
    if (editing) {
      const input = editing.input;
      gridStartEdit(c, editing.r, editing.col, input.value);
      if (c.editor) c.editor.input.setSelectionRange(input.selectionStart, input.selectionEnd);
    }
  }

  // Dragging the right edge of a title resizes its column; the new width is
  // kept here and sent to the server when the mouse is let go.
  function gridStartResize(c, th, e) {
    const col = +th.getAttribute('data-c');
    const table = th.closest('table');
    const colEl = table.querySelectorAll('col')[th.cellIndex];
    if (!colEl) return;
    e.preventDefault();
    e.stopPropagation();
    const startX = e.clientX, startW = th.getBoundingClientRect().width, startTotal = table.getBoundingClientRect().width;
    let w = Math.round(startW);
    const move = (ev) => {
      w = Math.max(MIN_COL_WIDTH, Math.min(MAX_COL_WIDTH, Math.round(startW + ev.clientX - startX)));
      colEl.style.width = w + 'px';
      table.style.width = Math.round(startTotal - startW + w) + 'px';
    };
    const up = () => {
      document.removeEventListener('mousemove', move, true);
      document.removeEventListener('mouseup', up, true);
      c.resized = true;  // the click that may follow is no click on the grid
      const widths = Array.isArray(c.p.colWidths) ? c.p.colWidths.slice() : [];
      const defW = num(c.p.defaultColWidth, 64);
      while (widths.length <= col) widths.push(defW);
      if (widths[col] === w) return;
      widths[col] = w;
      c.p.colWidths = widths;
      if (canSend(c)) enqueue({ t: 'colwidth', c: c.id, col: col, w: w });
    };
    document.addEventListener('mousemove', move, true);
    document.addEventListener('mouseup', up, true);
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
    if (td) setContent(td, v, gridHtmlCol(c, col));
  }

  function gridEditable(c, r, col) {
    const p = c.p;
    if (!p.editable) return false;
    if (r < num(p.fixedRows, 0) || col < num(p.fixedCols, 0)) return false;
    return !Array.isArray(p.editableCols) || p.editableCols.indexOf(col) >= 0;
  }

  // Opens the editor on a cell, holding the cell's text or the text typed
  // so far (an edit carried over a redraw).
  function gridStartEdit(c, r, col, typed) {
    if (!canSend(c) || !gridEditable(c, r, col)) return;
    if (c.editor) gridFinishEdit(c, true);
    const td = gridTd(c, r, col);
    if (!td) return;
    const old = gridCell(c, r, col);
    const input = el('input', 'tess-grid-editor');
    input.value = typed == null ? old : typed;
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
    if (typed == null) input.select();
  }

  function gridFinishEdit(c, save) {
    const ed = c.editor;
    if (!ed) return;
    c.editor = null;
    const v = ed.input.value;
    ed.td.classList.remove('tess-editing');
    if (save && v !== ed.old) {
      gridStore(c, ed.r, ed.col, v);
      setContent(ed.td, v, gridHtmlCol(c, ed.col));
      if (canSend(c)) enqueue({ t: 'cell', c: c.id, col: ed.col, row: ed.r, v: v });
    } else {
      setContent(ed.td, ed.old, gridHtmlCol(c, ed.col));
    }
  }

  // The narrowest and widest column a drag gives (as the server allows).
  const MIN_COL_WIDTH = 16, MAX_COL_WIDTH = 4000;

  const GRID_RENDER_KEYS = ['cells', 'cellStyles', 'rows', 'cols', 'fixedRows', 'fixedCols', 'colWidths', 'titles',
    'html', 'htmlCols', 'rowHeight', 'striped', 'defaultColWidth', 'rowSelect', 'mouseTracking', 'titleColor', 'columnResize'];

  define('TUniStringGrid', {
    props: ['cells', 'cellStyles', 'rows', 'cols', 'fixedRows', 'fixedCols', 'colWidths', 'titles', 'html', 'htmlCols', 'rowHeight',
      'striped', 'defaultColWidth', 'selRow', 'selCol', 'editable', 'editableCols', 'rowSelect', 'columnResize',
      'titleColor', 'mouseTracking'],
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
      c.scroll.addEventListener('mousedown', (e) => {
        c.resized = false;
        if (e.button !== 0 || !e.target.classList.contains('tess-grid-resizer') || !c.p.columnResize || !canSend(c)) return;
        gridStartResize(c, e.target.closest('th'), e);
      });
      c.scroll.addEventListener('click', (e) => {
        if (compOf(e.target) !== c || inEditor(e) || !canSend(c)) return;
        if (c.resized) { c.resized = false; return; }
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
        queueClick(c);
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
    // An op that sets one cell.
    setCell: gridSetCell,
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
  });
})(window.Tess.core);
