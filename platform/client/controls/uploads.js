/*
 * Tessarine browser runtime: uploads (the upload window and the drop zone).
 */
(function (core) {
  'use strict';

  const { define, domComp, el, num, textOf, canSend, enqueue, restart, buildWindow, placeWindow, showBox } = core;

  // --------------------------------------------------------------- uploads

  const UPLOAD_TEXTS = {
    uploading: 'Uploading...', pleaseWait: 'Please Wait', uploadError: 'Upload Error',
    timeout: 'Timeout occurred...',
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
    return '';
  }

  // Posts the files; on success the "upload" event names the cache files.
  function postUpload(c, files, ui) {
    const fd = new FormData();
    files.forEach((f) => fd.append('file', f, f.name));
    const xhr = new XMLHttpRequest();
    c.xhr = xhr;
    xhr.open('POST', '/upload?sid=' + encodeURIComponent(core.sid()) + '&c=' + encodeURIComponent(c.id));
    // The time-out counts from the last bytes that went out (or, once all
    // went, from then until the answer): a slow upload of several GiB runs
    // as long as it keeps moving.
    const secs = num(c.p.timeoutSecs, 0);
    let idle = null;
    const stall = () => {
      if (idle) clearTimeout(idle);
      if (secs > 0) idle = setTimeout(() => { if (c.xhr === xhr) { xhr.abort(); c.xhr = null; ui.fail(uploadText(c, 'timeout')); } }, secs * 1000);
    };
    const settle = () => { if (idle) clearTimeout(idle); idle = null; };
    xhr.addEventListener('loadend', settle);
    stall();
    xhr.upload.onprogress = (e) => { stall(); if (e.lengthComputable && e.total) ui.progress(e.loaded / e.total); };
    xhr.upload.onload = () => { stall(); ui.progress(1); ui.status(uploadText(c, 'processing')); };
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

  define('TUniFileUpload', {
    props: ['show', 'title', 'messages', 'filter', 'maxFiles', 'multipleFiles', 'timeoutSecs'],
    update: function (c, key) {
      if (key == null || key === 'show') {
        if (c.p.show) openUploadWindow(c);
        else closeUploadWindow(c);
      }
    },
    destroy: function (c) { closeUploadWindow(c); }
  });

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

  define('TUniFileUploadButton', {
    props: ['caption', 'messages', 'filter', 'maxFiles', 'multipleFiles', 'timeoutSecs'],
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
      if (key == null || key === 'caption') c.captionEl.textContent = textOf(p.caption);
      if (key == null || key === 'filter') {
        const a = acceptList(p.filter);
        if (a) c.file.accept = a; else c.file.removeAttribute('accept');
      }
      if (key == null || key === 'maxFiles' || key === 'multipleFiles') c.file.multiple = uploadMultiple(c);
    },
    destroy: function (c) { if (c.xhr) c.xhr.abort(); }
  });
})(window.Tess.core);
