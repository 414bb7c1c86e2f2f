/*
 * Tessarine browser runtime: labels, images and web frames.
 */
(function (core) {
  'use strict';

  const { define, el, setContent, textOf, applyColor, mouseEvents, clickEvents, dblclickEvents } = core;

  // ---------------------------------------------------------------- labels

  define('TUniLabel', {
    props: ['caption', 'html', 'transparent', 'alignment', 'wordWrap', 'autoSize'],
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
  });

  // ------------------------------------------------------- pictures, frames

  define('TUniImage', {
    props: ['picture', 'stretch', 'proportional', 'center'],
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
  });

  define('TUniURLFrame', {
    props: ['url', 'html'],
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
  });

  define('TUniHTMLFrame', {
    props: ['html'],
    build: function (c) { c.dom = el('div', 'tess-htmlframe'); },
    update: function (c, key) { if (key == null || key === 'html') c.dom.innerHTML = textOf(c.p.html); }
  });
})(window.Tess.core);
