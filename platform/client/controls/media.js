/*
 * Tessarine browser runtime: labels, images and web frames.
 */
(function (core) {
  'use strict';

  const { define, el, setContent, textOf, applyColor, mouseEvents, clickEvents, dblclickEvents } = core;

  // ---------------------------------------------------------------- labels

  define('TUniLabel', {
    props: ['caption', 'html', 'transparent', 'autoSize'],
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
    }
  });

  // ------------------------------------------------------- pictures, frames

  // The mouse cursor over an image, from its VCL name (crHandPoint) or a CSS
  // one.
  function cursorCss(v) {
    if (!v) return '';
    const s = String(v).replace(/^cr/, '').toLowerCase();
    return { hand: 'pointer', handpoint: 'pointer', arrow: 'default', ibeam: 'text', cross: 'crosshair',
      hourglass: 'wait', no: 'not-allowed', sizeall: 'move' }[s] || s;
  }

  define('TUniImage', {
    props: ['picture', 'stretch', 'proportional', 'center', 'cursor'],
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
      if (key == null || key === 'cursor') c.dom.style.cursor = cursorCss(p.cursor);
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
